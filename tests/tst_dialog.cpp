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
    QCOMPARE(d.windowTitle(), QString("Tembrill Connect Einstellungen"));
    QVERIFY((d.windowFlags() & Qt::Tool) && d.OKButton->isDefault());
    // Every caption fits its control at the chosen fonts.
    for (QLabel* l : { d.Label2, d.Label3, d.url })
        QVERIFY2(
            l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
    QVERIFY(d.show_check->sizeHint().width() <= d.show_check->width());
    QVERIFY(d.CancelButton->fontMetrics().horizontalAdvance("Abbrechen") < d.CancelButton->width());
    QCOMPARE(QAccessible::queryAccessibleInterface(d.ip_addr)->text(QAccessible::Name),
        QString("Tembrill IP-Adresse"));
    // Tab order: OK, Abbrechen, check box, text box.
    QCOMPARE(d.OKButton->nextInFocusChain(), d.CancelButton);
    QCOMPARE(d.show_check->nextInFocusChain(), d.ip_addr);
}

void tst_dialog::closing_data()
{
    // Typed, the check box on for Enter only; then "address|show_duration|settings_accepted|
    // what stayed open" (settings_accepted true before for "+" rows).
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    // clang-format off
    QTest::newRow("OK stores exactly")          << "ok"            << " 10.0.0.1 "   << " 10.0.0.1 |0|1|";
    QTest::newRow("OK with empty text")         << "ok"            << ""             << "|0|1|";
    QTest::newRow("OK, Latin-1")                << "ok"            << "Ger\u00e4t 1" << "Ger\u00e4t 1|0|1|";
    QTest::newRow("OK refuses a quote")         << "ok"            << "3\""          << "192.168.1.100|1|0|dialog, box";
    QTest::newRow("OK refuses quotes around")   << "ok"            << "\"10.0.0.7\""  << "192.168.1.100|1|0|dialog, box";
    QTest::newRow("OK refuses beyond Latin-1")  << "ok"            << "r\u2013 1"    << "192.168.1.100|1|0|dialog, box";
    QTest::newRow("Enter is OK")                << "enter"         << "h"            << "h|1|1|";
    QTest::newRow("Enter on the check box")     << "enter check"   << "h"            << "h|0|1|";
    QTest::newRow("Enter on Abbrechen")         << "enter cancel+" << "x"            << "192.168.1.100|1|0|";
    QTest::newRow("Abbrechen stores nothing")   << "cancel+"       << "x"            << "192.168.1.100|1|0|";
    QTest::newRow("close box keeps earlier OK") << "close+"        << "x"            << "192.168.1.100|1|1|";
    QTest::newRow("close box keeps false")      << "close"         << "x"            << "192.168.1.100|1|0|";
    QTest::newRow("web address, then OK")       << "url"           << "h"            << "h|0|1|";
    // clang-format on
}

void tst_dialog::closing()
{
    QFETCH(QString, how);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Globals::settings_accepted = how.endsWith('+');
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
    } else if (how == "enter")
        QTest::keyClick(d.ip_addr, Qt::Key_Return);
    else if (how == "enter check")
        QTest::keyClick(d.show_check, Qt::Key_Return);
    else if (how == "enter cancel+") {
        // Shift+Tab twice from the text box reaches Abbrechen.
        QTest::keyClick(d.ip_addr, Qt::Key_Backtab);
        QTest::keyClick(d.focusWidget(), Qt::Key_Backtab);
        QCOMPARE(d.focusWidget(), d.CancelButton);
        QTest::keyClick(d.CancelButton, Qt::Key_Return);
    } else if (how == "cancel+")
        d.CancelButton->click();
    else if (how == "url") {
        // The browser opens the label's own address; the dialog stays as it was.
        QTest::mouseClick(d.url, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(browser->calls, QList<QStringList>({ { d.url->text(), "", "" } }));
        QCOMPARE(QUrl(d.url->text()).scheme(), QString("https"));
        QVERIFY(d.isVisible());
        d.OKButton->click();
    } else
        d.close();
    const auto boxes = d.findChildren<QMessageBox*>();
    const QMessageBox* box = boxes.value(0);
    QVERIFY(boxes.size() <= 1);
    QVERIFY(!box
        || (box->windowTitle() == "Tembrill Connect"
            && box->text().startsWith("Die Adresse kann so nicht gespeichert werden")));
    QCOMPARE(QString("%1|%2|%3|%4")
                 .arg(Globals::ip_address)
                 .arg(Globals::show_duration)
                 .arg(Globals::settings_accepted)
                 .arg(d.isVisible() ? (box ? "dialog, box" : "dialog") : ""),
        stored);
    // Opened again, it shows what is stored, not what was abandoned.
    Dialog again(std::make_shared<FakeHyperlink>());
    QCOMPARE(again.ip_addr->text(), Globals::ip_address);
    QCOMPARE(again.show_check->isChecked(), Globals::show_duration);
}

QTEST_MAIN(tst_dialog)
#include "tst_dialog.moc"
