#include "fakes.h"

#include "settings/dialog.h"
#include "settings/globals.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

class tst_dialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void layout_and_texts();
    void closing_data();
    void closing();
    void web_address_data();
    void web_address();
};

void tst_dialog::init()
{
    Globals::ip_address = "192.168.1.100";
    Globals::show_duration = true;
    Globals::settings_accepted = false;
}

void tst_dialog::layout_and_texts()
{
    Dialog d(std::make_shared<FakeHyperlink>());
    QVERIFY(d.OKButton->isDefault()); // before it is shown, as once it is: Enter is OK
    // Every caption is wholly visible at the chosen fonts.
    for (QLabel* l : { d.Label1, d.Label2, d.Label3, d.url }) {
        const QRect needed = l->fontMetrics().boundingRect(
            l->rect(), l->wordWrap() ? Qt::TextWordWrap : 0, l->text());
        QVERIFY2(
            needed.width() <= l->width() && needed.height() <= l->height(), qPrintable(l->text()));
    }
    QVERIFY(d.show_check->sizeHint().width() <= d.show_check->width());
    QVERIFY(d.CancelButton->fontMetrics().horizontalAdvance("Abbrechen") < d.CancelButton->width());
    QCOMPARE(d.Label1->font().pointSizeF(), 9.75);
    QCOMPARE(d.Label3->font().pointSizeF(), 6.75);
    QVERIFY(d.url->font().underline() && !d.Label3->font().underline());
    QCOMPARE(d.url->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    // A screen reader reads the controls that Tab does not reach, in German.
    QStringList names;
    for (QWidget* w : QList<QWidget*> { d.url, d.Image3, d.UCC1 })
        names << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    QCOMPARE(names,
        QStringList({ "Webadresse: https://www.example.com/", "Tembrill-Logo", "Hyperlink" }));
    QCOMPARE(d.url->accessibleDescription(), QString("Öffnet die Webadresse im Browser"));
    if (d.logicalDpiX() != 96)
        return;
    // At 96 dpi, 15 twips a pixel; edges are rounded to the nearest pixel.
    QCOMPARE(d.geometry(), QRect(152, 124, 288, 174));
    const QList<std::pair<QWidget*, QRect>> rects { { d.OKButton, { 200, 8, 73, 20 } },
        { d.CancelButton, { 200, 32, 73, 20 } }, { d.Label1, { 56, 8, 129, 41 } },
        { d.Label2, { 16, 74, 105, 17 } }, { d.ip_addr, { 120, 72, 153, 19 } },
        { d.Label3, { 16, 136, 257, 17 } }, { d.url, { 16, 152, 233, 17 } },
        { d.UCC1, { 224, 96, 41, 25 } }, { d.Image3, { 8, 8, 32, 32 } } };
    for (const auto& [widget, rect] : rects)
        QCOMPARE(widget->geometry(), rect);
    // The check box grows to its caption's width.
    QCOMPARE(d.show_check->geometry(), QRect(16, 96, 162, 25));
}

// What the dialog leaves in Globals.
struct Stored {
    QString ip_address;
    bool show_duration;
    bool settings_accepted;
};
Q_DECLARE_METATYPE(Stored)

void tst_dialog::closing_data()
{
    QTest::addColumn<QString>("how"); // the check box is on for Enter only
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Stored>("stored"); // settings_accepted before: true for Abbrechen and close
    QTest::addColumn<bool>("refused"); // the dialog stays open with a box
    const QString old = "192.168.1.100";
    QTest::newRow("OK stores exactly")
        << "ok" << QString(" 10.0.0.1 ") << Stored { " 10.0.0.1 ", false, true } << false;
    QTest::newRow("OK, a long address is cut")
        << "ok" << QString(300, 'a') << Stored { QString(255, 'a'), false, true } << false;
    QTest::newRow("OK refuses a quote")
        << "ok" << QString("3\"") << Stored { old, true, false } << true;
    QTest::newRow("OK refuses beyond Latin-1")
        << "ok" << QString("r\u2013 1") << Stored { old, true, false } << true;
    QTest::newRow("Enter is OK") << "enter" << QString("h") << Stored { "h", true, true } << false;
    QTest::newRow("Enter on the check box")
        << "enter check" << QString("h") << Stored { "h", false, true } << false;
    QTest::newRow("Enter on Abbrechen")
        << "enter cancel" << QString("x") << Stored { old, true, false } << false;
    QTest::newRow("Abbrechen") << "cancel" << QString("x") << Stored { old, true, false } << false;
    QTest::newRow("close box keeps an earlier OK")
        << "close" << QString("x") << Stored { old, true, true } << false;
    QTest::newRow("web address, then OK")
        << "url" << QString("Gerät 1") << Stored { "Gerät 1", false, true } << false;
}

void tst_dialog::closing()
{
    QFETCH(QString, how);
    QFETCH(QString, typed);
    QFETCH(Stored, stored);
    QFETCH(bool, refused);
    Globals::settings_accepted = how.contains("cancel") || how == "close";
    const auto browser = std::make_shared<FakeHyperlink>();
    Dialog d(browser);
    d.show();
    d.ip_addr->setFocus();
    d.ip_addr->setText(typed);
    d.show_check->setChecked(how == "enter");
    if (how == "ok") {
        d.OKButton->click();
        if (d.isVisible())
            d.OKButton->click(); // refused twice: still one box at a time
    } else if (how.startsWith("enter")) {
        // Shift+Tab twice from the text box reaches Abbrechen, once the check box.
        for (int back = 0; back < (how == "enter check" ? 1 : how == "enter" ? 0 : 2); ++back)
            QTest::keyClick(d.focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
    } else if (how == "cancel") {
        d.CancelButton->click();
    } else if (how == "url") {
        // The browser opens the label's own address; the dialog stays as it was.
        QTest::mousePress(d.url, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(browser->calls.isEmpty()); // opened on release, as a link is
        QTest::mouseRelease(d.url, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(browser->calls, QList<QStringList>({ { "https://www.example.com/", "", "" } }));
        QVERIFY(d.isVisible());
        d.OKButton->click();
    } else {
        d.close();
    }
    const auto boxes = d.findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), int(refused));
    QCOMPARE(d.isVisible(), refused);
    if (refused)
        QVERIFY(boxes[0]->text().startsWith("Die Adresse kann so nicht gespeichert werden"));
    QCOMPARE(Globals::ip_address, stored.ip_address);
    QCOMPARE(Globals::show_duration, stored.show_duration);
    QCOMPARE(Globals::settings_accepted, stored.settings_accepted);
    // Opened again, it shows what is stored, not what was abandoned.
    Dialog again(std::make_shared<FakeHyperlink>());
    QCOMPARE(again.ip_addr->text(), Globals::ip_address);
    QCOMPARE(again.show_check->isChecked(), Globals::show_duration);
}

void tst_dialog::web_address_data()
{
    // What the user does once the web address has the focus.
    QTest::addColumn<QTestEventList>("events");
    QTestEventList click;
    click.addMouseRelease(Qt::LeftButton, {}, QPoint(5, 5));
    QTestEventList space;
    space.addKeyClick(Qt::Key_Space);
    QTestEventList enter; // opens the link, not OK
    enter.addKeyClick(Qt::Key_Return);
    QTest::newRow("click") << click;
    QTest::newRow("Space") << space;
    QTest::newRow("Enter") << enter;
}

void tst_dialog::web_address()
{
    QFETCH(QTestEventList, events);
    const auto browser = std::make_shared<FakeHyperlink>();
    Dialog d(browser);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.ip_addr->setFocus();
    const QImage unfocused = d.url->grab().toImage();
    QTest::keyClick(d.ip_addr, Qt::Key_Tab); // the link follows the address
    QCOMPARE(d.focusWidget(), d.url);
    QVERIFY(d.url->grab().toImage() != unfocused); // a visible focus frame
    QCOMPARE(QAccessible::queryAccessibleInterface(d.url)->role(), QAccessible::Link);
    events.simulate(d.url);
    QCOMPARE(browser->calls, QList<QStringList>({ { "https://www.example.com/", "", "" } }));
    QVERIFY(d.isVisible());
    QCOMPARE(Globals::settings_accepted, false);
    QTest::keyClick(d.url, Qt::Key_Tab); // UCC1, which draws nothing, takes no focus
    QCOMPARE(d.focusWidget(), d.OKButton);
}

QTEST_MAIN(tst_dialog)
#include "tst_dialog.moc"
