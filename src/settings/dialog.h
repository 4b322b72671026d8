#pragma once

#include "hyperlink/user_control.h"
#include "platform/message_boxes.h"
#include "platform/settings_opener.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The settings window: the device's address and the duration switch, stored in Globals on OK.
class Dialog : public QDialog, private UserControlContainer {
    Q_OBJECT
public:
    explicit Dialog(HyperlinkRef browser, QWidget* parent = nullptr);

    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* show_check = nullptr;
    QLineEdit* ip_addr = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* url = nullptr;
    UserControl1* UCC1 = nullptr;
    QLabel* Image3 = nullptr;

    static const QString copyright_text;
    static const QString web_address;

    void CancelButton_Click();
    void Form_Load();
    void OKButton_Click();
    void url_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    void name_controls();

    // The dialog as the container of UCC1.
    void PropertyChanged(const QString&) override { }
    FontRef AmbientFont() override;
    HyperlinkRef Hyperlink() override { return m_browser; }

    HyperlinkRef m_browser;
    WidgetMessageBoxes m_boxes { this };
};

// Opens a fresh Dialog modally; each closing unloads it.
class ModalSettingsOpener : public SettingsOpener {
public:
    explicit ModalSettingsOpener(HyperlinkRef browser)
        : m_browser(std::move(browser))
    {
    }
    bool open_settings() override;

private:
    HyperlinkRef m_browser;
};
