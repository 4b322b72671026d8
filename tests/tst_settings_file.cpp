#include "settings/settings_file.h"

#include <QTest>

using namespace settings_file;

class tst_settings_file : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void write_data();
    void write();
};

void tst_settings_file::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("placed"); // the position is applied
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("left");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    const QString none = "192.168.1.100";
    QTest::newRow("empty") << QByteArray() << false << 0.f << 0.f << none << true;
    QTest::newRow("as written") << QByteArray("1380,2280\r\n\"10.0.0.7\"\r\n#FALSE#\r\n") << true
                                << 1380.f << 2280.f << "10.0.0.7" << false;
    QTest::newRow("only line 1") << QByteArray("1380,2280") << true << 1380.f << 2280.f << none
                                 << true;
    QTest::newRow("ends after line 2")
        << QByteArray("1,2,\"h\"") << true << 1.f << 2.f << "h" << true;
    QTest::newRow("one value only")
        << QByteArray("1380\r\n") << false << 0.f << 0.f << none << true;
    QTest::newRow("empty address line")
        << QByteArray("1,2\r\n\r\n#FALSE#") << true << 1.f << 2.f << "" << false;
    QTest::newRow("blanks and comma kept")
        << QByteArray("1,2,\" a,b \",#TRUE#") << true << 1.f << 2.f << " a,b " << true;
    QTest::newRow("quote left open")
        << QByteArray("1,2,\"h,#FALSE#") << true << 1.f << 2.f << "h,#FALSE#" << true;
    QTest::newRow("left rounds to even")
        << QByteArray("1380.5,2280.5,h") << true << 1380.5f << 2280.f << "h" << true;
    QTest::newRow("left rounds to even, upwards")
        << QByteArray("-0.25,2281.5,h") << true << -0.25f << 2282.f << "h" << true;
    QTest::newRow("signs and exponents")
        << QByteArray("-1.5e1,+3E2,h,1") << true << -15.f << 300.f << "h" << true;
    QTest::newRow("left over 32 bits")
        << QByteArray("1,2147483648,h,0") << false << 0.f << 0.f << none << true;
    QTest::newRow("left at the 32-bit minimum")
        << QByteArray("1,-2147483648,h,0") << true << 1.f << -2147483648.f << "h" << false;
    QTest::newRow("left at the 32-bit maximum")
        << QByteArray("1,2147483647,h,0") << true << 1.f << 2147483647.f << "h" << false;
    QTest::newRow("left is text") << QByteArray("1,x2,h,0") << false << 0.f << 0.f << none << true;
    QTest::newRow("empty position fields")
        << QByteArray(",,h,0") << true << 0.f << 0.f << "h" << false;
    QTest::newRow("top a byte-order mark and a number") << QByteArray("\xef\xbb\xbf"
                                                                      "1,2,h,0")
                                                        << false << 0.f << 0.f << "h" << false;
    QTest::newRow("top a Boolean")
        << QByteArray("#TRUE#,2,h,0") << false << 0.f << 0.f << "h" << false;
    QTest::newRow("top beyond single precision")
        << QByteArray("1e39,2,h,0") << false << 0.f << 0.f << "h" << false;
    QTest::newRow("switch empty") << QByteArray("1,2,h,\r\n") << true << 1.f << 2.f << "h" << false;
    QTest::newRow("switch in plain words")
        << QByteArray("1,2,h, false ") << true << 1.f << 2.f << "h" << false;
    QTest::newRow("switch unreadable")
        << QByteArray("1,2,h,#MAYBE#") << true << 1.f << 2.f << "h" << true;
    QTest::newRow("a long address is cut") << QByteArray("1,2," + QByteArray(300, 'a')) << true
                                           << 1.f << 2.f << QString(255, 'a') << true;
}

void tst_settings_file::read()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, placed);
    QFETCH(float, top);
    QFETCH(float, left);
    QFETCH(QString, address);
    QFETCH(bool, show);
    const Contents c = parse(file);
    QCOMPARE(c.position.has_value(), placed);
    QCOMPARE(c.position.value_or(Position {}).top, top);
    QCOMPARE(c.position.value_or(Position {}).left, left);
    QCOMPARE(c.address, address);
    QCOMPARE(c.show_duration, show);
}

void tst_settings_file::write_data()
{
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("left");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("usual") << 1380.f << 2280.f << "192.168.1.100" << true
                           << QByteArray("1380,2280\r\n\"192.168.1.100\"\r\n#TRUE#\r\n");
    QTest::newRow("negative") << -4500.f << -15.f << "" << true
                              << QByteArray("-4500,-15\r\n\"\"\r\n#TRUE#\r\n");
    QTest::newRow("latin-1") << -0.f << 0.f << " Gerät 1 " << false
                             << QByteArray("0,0\r\n\" Ger\xe4t 1 \"\r\n#FALSE#\r\n");
    QTest::newRow("fraction") << 1380.5f << 2.f << "h" << false
                              << QByteArray("1380.5,2\r\n\"h\"\r\n#FALSE#\r\n");
    QTest::newRow("tiny top") << 7.0385306e-26f << 1.f << "h" << false
                              << QByteArray("0.00000000000000000000000007038531,1\r\n\"h\"\r\n"
                                            "#FALSE#\r\n");
    QTest::newRow("huge top") << 1e20f << 7.f << "h" << true
                              << QByteArray("100000002004087734272,7\r\n\"h\"\r\n#TRUE#\r\n");
}

void tst_settings_file::write()
{
    QFETCH(float, top);
    QFETCH(float, left);
    QFETCH(QString, address);
    QFETCH(bool, show);
    QFETCH(QByteArray, file);
    QCOMPARE(format({ Position { top, left }, address, show }), file);
}

QTEST_APPLESS_MAIN(tst_settings_file)
#include "tst_settings_file.moc"
