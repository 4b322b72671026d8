#pragma once

#include "hyperlink/objects.h"

#include <QList>
#include <QVariant>
#include <QWidget>

class PropertyBag;

// What the control asks of the window that hosts it. Each call may fail with a ControlError.
class UserControlContainer {
public:
    virtual ~UserControlContainer() = default;
    // A saved property has changed.
    virtual void PropertyChanged(const QString& name) = 0;
    // The container's ambient font object.
    virtual FontRef AmbientFont() = 0;
    // The container's hyperlink object.
    virtual HyperlinkRef Hyperlink() = 0;
};

// The hyperlink user control, public identifier TembrillConnect.UserControl1. It hands out the
// container's hyperlink object and carries eight stored properties that are reported when
// assigned, saved and restored, and have no other effect. It draws nothing and raises none of
// its declared events.
class UserControl1 : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* ProgID = "TembrillConnect.UserControl1";

    explicit UserControl1(UserControlContainer* container, QWidget* parent = nullptr);

    qint32 BackColor() const { return m_BackColor; }
    void let_BackColor(qint32 New_BackColor);
    qint32 ForeColor() const { return m_ForeColor; }
    void let_ForeColor(qint32 New_ForeColor);
    bool Enabled() const { return m_Enabled; }
    void let_Enabled(bool New_Enabled);
    FontRef Font() const { return m_Font; }
    void set_Font(FontRef New_Font);
    qint16 BackStyle() const { return m_BackStyle; }
    void let_BackStyle(qint16 New_BackStyle);
    qint16 BorderStyle() const { return m_BorderStyle; }
    void let_BorderStyle(qint16 New_BorderStyle);
    void Refresh() { }
    HyperlinkRef HyperLink() const;
    ObjectRef ActiveControl() const { return m_ActiveControl; }
    void set_ActiveControl(ObjectRef New_ActiveControl);
    QVariant Zeigsmir() const { return m_Zeigsmir; }
    void let_Zeigsmir(const QVariant& New_Zeigsmir);

    // Lifecycle notifications from the container.
    void InitProperties();
    void ReadProperties(PropertyBag& PropBag);
    void WriteProperties(PropertyBag& PropBag);

    // Late-bound access by dispatch identifier.
    enum class Call { Get, Let, Set, Method };
    QVariant invoke(qint32 dispid, Call call, const QVariant& argument = {});

    struct Member {
        const char* name;
        qint32 dispid;
        const char* help; // nullptr where the member has none
    };
    struct Event {
        const char* name;
        int id;
        const char* parameters;
        const char* help;
    };
    static const QList<Member>& members();
    static const QList<Event>& declared_events();

signals:
    // Declared and never raised.
    void Click();
    void DblClick();
    void KeyDown(qint16& KeyCode, qint16& Shift);
    void KeyPress(qint16& KeyAscii);
    void KeyUp(qint16& KeyCode, qint16& Shift);
    void MouseDown(qint16& Button, qint16& Shift, float& X, float& Y);
    void MouseMove(qint16& Button, qint16& Shift, float& X, float& Y);
    void MouseUp(qint16& Button, qint16& Shift, float& X, float& Y);

protected:
    void paintEvent(QPaintEvent*) override { }

private:
    void changed(const char* name);

    UserControlContainer* m_container;
    // Stored values, in the order they lie in the instance.
    ObjectRef m_ActiveControl;
    QVariant m_Zeigsmir;
    qint32 m_BackColor = 0;
    qint32 m_ForeColor = 0;
    bool m_Enabled = false;
    FontRef m_Font;
    qint16 m_BackStyle = 0;
    qint16 m_BorderStyle = 0;
};
