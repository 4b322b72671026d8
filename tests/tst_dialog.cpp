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

static QTestEventList keys(const QList<Qt::Key>& pressed)
{
    QTestEventList events;
    for (const Qt::Key key : pressed)
        events.addKeyClick(key);
    return events;
}

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
    QVERIFY(d.url->font().underline());
    QVERIFY(!d.Label3->font().underline());
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

void tst_dialog::closing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("accepted_before"); // an earlier OK
    QTest::addColumn<QTestEventList>("keys"); // at the focus, which starts in the text box
    QTest::addColumn<QString>("ip_address"); // what the dialog leaves in Globals
    QTest::addColumn<bool>("show_duration");
    QTest::addColumn<bool>("settings_accepted");
    QTest::addColumn<bool>("refused"); // the dialog stays open with a box
    const QTestEventList enter = keys({ Qt::Key_Return });
    const QTestEventList twice = keys({ Qt::Key_Return, Qt::Key_Return }); // one box at a time
    const QString old = "192.168.1.100";
    QTest::newRow("Enter is OK: stored exactly")
        << " ÿ 1 " << false << false << enter << " ÿ 1 " << false << true << false;
    QTest::newRow("a long address is cut") << QString(300, 'a') << false << false << enter
                                           << QString(255, 'a') << false << true << false;
    QTest::newRow("a quote is refused")
        << "3\"" << false << false << twice << old << true << false << true;
    QTest::newRow("beyond Latin-1 is refused")
        << "r\u2013 1" << false << false << twice << old << true << false << true;
    QTest::newRow("the check box on")
        << "h" << true << false << enter << "h" << true << true << false;
    QTest::newRow("Enter on Abbrechen")
        << "x" << false << true << keys({ Qt::Key_Backtab, Qt::Key_Backtab, Qt::Key_Return }) << old
        << true << false << false;
}

void tst_dialog::closing()
{
    QFETCH(QString, typed);
    QFETCH(bool, checked);
    QFETCH(bool, accepted_before);
    QFETCH(QTestEventList, keys);
    QFETCH(QString, ip_address);
    QFETCH(bool, show_duration);
    QFETCH(bool, settings_accepted);
    QFETCH(bool, refused);
    Globals::settings_accepted = accepted_before;
    Dialog d(std::make_shared<FakeHyperlink>());
    d.show();
    d.ip_addr->setFocus();
    d.ip_addr->setText(typed);
    d.show_check->setChecked(checked);
    for (QTestEvent* key : keys)
        key->simulate(d.focusWidget());
    const auto boxes = d.findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), int(refused));
    QCOMPARE(d.isVisible(), refused);
    if (refused)
        QVERIFY(boxes[0]->text().startsWith("Die Adresse kann so nicht gespeichert werden"));
    QCOMPARE(Globals::ip_address, ip_address);
    QCOMPARE(Globals::show_duration, show_duration);
    QCOMPARE(Globals::settings_accepted, settings_accepted);
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
    QTest::newRow("click") << click;
    QTest::newRow("Space") << keys({ Qt::Key_Space });
    QTest::newRow("Enter opens the link, not OK") << keys({ Qt::Key_Return });
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
    QTest::mousePress(d.url, Qt::LeftButton, {}, QPoint(5, 5)); // a link opens on release
    QTest::mouseRelease(d.url, Qt::RightButton, {}, QPoint(5, 5)); // of the left button only
    events.simulate(d.url);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true); // auto-repeat
    QApplication::sendEvent(d.url, &held);
    QCOMPARE(browser->calls, QList<QStringList>({ { "https://www.example.com/", "", "" } }));
    QVERIFY(d.isVisible());
    QTest::keyClick(d.url, Qt::Key_Tab); // UCC1, which draws nothing, takes no focus
    QCOMPARE(d.focusWidget(), d.OKButton);
}

QTEST_MAIN(tst_dialog)
#include "tst_dialog.moc"
