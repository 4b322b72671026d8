#include "fakes.h"

#include "settings/dialog.h"
#include "settings/globals.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

class tst_dialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void layout_and_texts();
    void closing_data();
    void closing();
    void reopening_shows_stored_values();
    void url_click_opens_browser();
    void modal_while_main_window_goes_on();
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
    QVERIFY(d.windowFlags() & Qt::Tool);
    QVERIFY(d.OKButton->isDefault());
    QCOMPARE(d.UCC1->Font()->Name, QString("MS Sans Serif"));
    QCOMPARE(d.UCC1->Enabled(), false);
    // Every caption fits its control at the chosen fonts.
    for (QLabel* l : { d.Label2, d.Label3, d.url })
        QVERIFY2(
            l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
    QVERIFY2(d.show_check->sizeHint().width() <= d.show_check->width(),
        qPrintable(QString("%1 > %2 %3")
                       .arg(d.show_check->sizeHint().width())
                       .arg(d.show_check->width())
                       .arg(d.show_check->font().family())));
    QVERIFY(d.CancelButton->fontMetrics().horizontalAdvance("Abbrechen") < d.CancelButton->width());
    // Tab order: OK, Abbrechen, check box, text box.
    QCOMPARE(d.OKButton->nextInFocusChain(), d.CancelButton);
    QCOMPARE(d.show_check->nextInFocusChain(), d.ip_addr);
}

void tst_dialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("accepted_before");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("OK stores exactly")
        << "ok"
        << " 10.0.0.1 " << false << false << " 10.0.0.1 " << false << true;
    QTest::newRow("OK with empty text") << "ok"
                                        << "" << true << false << "" << true << true;
    QTest::newRow("Enter is OK") << "enter"
                                 << "h" << true << false << "h" << true << true;
    QTest::newRow("Abbrechen stores nothing")
        << "cancel"
        << "x" << false << true << "192.168.1.100" << true << false;
    QTest::newRow("close box keeps earlier OK")
        << "close"
        << "x" << false << true << "192.168.1.100" << true << true;
    QTest::newRow("close box keeps false")
        << "close"
        << "x" << false << false << "192.168.1.100" << true << false;
}

void tst_dialog::closing()
{
    QFETCH(QString, how);
    QFETCH(QString, typed);
    QFETCH(bool, checked);
    QFETCH(bool, accepted_before);
    QFETCH(QString, address);
    QFETCH(bool, show);
    QFETCH(bool, accepted);
    Globals::settings_accepted = accepted_before;
    Dialog d(std::make_shared<FakeHyperlink>());
    d.show();
    d.ip_addr->setFocus();
    d.ip_addr->setText(typed);
    d.show_check->setChecked(checked);
    if (how == "ok")
        d.OKButton->click();
    else if (how == "enter")
        QTest::keyClick(d.ip_addr, Qt::Key_Return);
    else if (how == "cancel")
        d.CancelButton->click();
    else
        d.close();
    QVERIFY(!d.isVisible());
    QCOMPARE(Globals::ip_address, address);
    QCOMPARE(Globals::show_duration, show);
    QCOMPARE(Globals::settings_accepted, accepted);
}

void tst_dialog::reopening_shows_stored_values()
{
    Globals::show_duration = false;
    {
        Dialog d(std::make_shared<FakeHyperlink>());
        d.ip_addr->setText("abandoned");
        d.show_check->setChecked(true);
        d.CancelButton->click();
    }
    Dialog again(std::make_shared<FakeHyperlink>());
    QCOMPARE(again.ip_addr->text(), QString("192.168.1.100"));
    QVERIFY(!again.show_check->isChecked());
}

void tst_dialog::url_click_opens_browser()
{
    const auto browser = std::make_shared<FakeHyperlink>();
    Dialog d(browser);
    d.show();
    QTest::mouseClick(d.url, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(browser->calls, QList<QStringList>({ { d.url->text(), "", "" } }));
    QVERIFY(d.isVisible());
    QVERIFY(QUrl(d.url->text()).isValid());
    QCOMPARE(QUrl(d.url->text()).scheme(), QString("https"));
    d.OKButton->click();
    QVERIFY(Globals::settings_accepted);
}

void tst_dialog::modal_while_main_window_goes_on()
{
    // The real opener: the dialog runs modally while the main window's timers and socket
    // events are still handled.
    Rig rig("0,0\r\n\"127.0.0.2\"\r\n#TRUE#\r\n", true);
    Main& m = *rig.main;
    m.Timer2->setInterval(10);
    ModalSettingsOpener opener(std::make_shared<FakeHyperlink>());
    bool during = false;
    QTimer::singleShot(300, [&] {
        rig.socket.deliver(254, 0x18);
        during = lamp(m, m.connected) == "unlit";
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(d);
        d->ip_addr->setText("127.0.0.3");
        d->OKButton->click();
    });
    const qsizetype polls = rig.socket.sent.size();
    opener.open_settings();
    QVERIFY(rig.socket.sent.size() > polls);
    QVERIFY(during);
    QCOMPARE(Globals::ip_address, QString("127.0.0.3"));
}

QTEST_MAIN(tst_dialog)
#include "tst_dialog.moc"
