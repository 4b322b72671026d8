#include "settings/settings_file.h"

#include <QTest>

using namespace settings_file;

class tst_settings_file : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void write_exact();
    void write_read_round_trip_data();
    void write_read_round_trip();
};

void tst_settings_file::read_data()
{
    QTest::addColumn<QByteArray>("file"); // "<missing>" for no file
    QTest::addColumn<bool>("placed");
    QTest::addColumn<float>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    const QString def = default_address;
    QTest::newRow("missing") << QByteArray("<missing>") << false << 0.f << 0 << def << true;
    QTest::newRow("empty") << QByteArray() << false << 0.f << 0 << def << true;
    QTest::newRow("complete") << QByteArray("1380,2280\r\n\"10.0.0.7\"\r\n#FALSE#\r\n") << true
                              << 1380.f << 2280 << "10.0.0.7" << false;
    QTest::newRow("only line 1") << QByteArray("1380,2280") << true << 1380.f << 2280 << def
                                 << true;
    QTest::newRow("only line 1 with end")
        << QByteArray("1380,2280\r\n") << true << 1380.f << 2280 << def << true;
    QTest::newRow("ends after line 2")
        << QByteArray("1,2\r\n\"host\"\r\n") << true << 1.f << 2 << "host" << true;
    QTest::newRow("one value only") << QByteArray("1380\r\n") << false << 0.f << 0 << def << true;
    QTest::newRow("empty address line")
        << QByteArray("1,2\r\n\r\n#TRUE#\r\n") << true << 1.f << 2 << "" << true;
    QTest::newRow("empty quoted address")
        << QByteArray("1,2\r\n\"\"\r\n#FALSE#\r\n") << true << 1.f << 2 << "" << false;
    QTest::newRow("address keeps blanks and comma")
        << QByteArray("1,2\r\n\" a,b \"\r\n#TRUE#\r\n") << true << 1.f << 2 << " a,b " << true;
    QTest::newRow("line breaks not significant")
        << QByteArray("1,2,\"h\",#FALSE#") << true << 1.f << 2 << "h" << false;
    QTest::newRow("fraction in top, left rounded to even")
        << QByteArray("1380.5,2280.5\r\n\"h\"\r\n#TRUE#\r\n") << true << 1380.5f << 2280 << "h"
        << true;
    QTest::newRow("negative position")
        << QByteArray("-15,-300\r\n\"h\"\r\n#TRUE#\r\n") << true << -15.f << -300 << "h" << true;
    QTest::newRow("left too large for 32 bits")
        << QByteArray("1,3000000000\r\n\"h\"\r\n#FALSE#\r\n") << false << 0.f << 0 << def << true;
    QTest::newRow("top too large for single")
        << QByteArray("1e39,2\r\n\"h\"\r\n#FALSE#\r\n") << false << 0.f << 0 << def << true;
    QTest::newRow("top not a number")
        << QByteArray("abc,2\r\n\"h\"\r\n#FALSE#\r\n") << false << 0.f << 0 << def << true;
    QTest::newRow("left not a number")
        << QByteArray("1,x2\r\n\"h\"\r\n#FALSE#\r\n") << false << 0.f << 0 << def << true;
    QTest::newRow("empty position fields")
        << QByteArray(",\r\n\"h\"\r\n#FALSE#\r\n") << true << 0.f << 0 << "h" << false;
    QTest::newRow("switch damaged keeps address")
        << QByteArray("1,2\r\n\"h\"\r\n#MAYBE#\r\n") << true << 1.f << 2 << "h" << true;
    QTest::newRow("switch empty reads false")
        << QByteArray("1,2\r\n\"h\"\r\n\r\n") << true << 1.f << 2 << "h" << false;
    QTest::newRow("switch numeric")
        << QByteArray("1,2\r\n\"h\"\r\n0\r\n") << true << 1.f << 2 << "h" << false;
    QTest::newRow("unclosed quote")
        << QByteArray("1,2\r\n\"h\r\n#FALSE#") << true << 1.f << 2 << "h\r\n#FALSE#" << true;
    QTest::newRow("binary garbage")
        << QByteArray("\xff\x00\x01,\x02", 5) << false << 0.f << 0 << def << true;
}

void tst_settings_file::read()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, placed);
    QFETCH(float, top);
    QFETCH(int, left);
    QFETCH(QString, address);
    QFETCH(bool, show);
    const Contents c = parse(file == "<missing>" ? std::nullopt : std::optional(file));
    QCOMPARE(c.position.has_value(), placed);
    if (placed) {
        QCOMPARE(c.position->top, top);
        QCOMPARE(c.position->left, left);
    }
    QCOMPARE(c.address, address);
    QCOMPARE(c.show_duration, show);
}

void tst_settings_file::write_exact()
{
    QCOMPARE(format(1380, 2280, "192.168.1.100", true),
        QByteArray("1380,2280\r\n\"192.168.1.100\"\r\n#TRUE#\r\n"));
    QCOMPARE(format(-15, 0.5f, "", false), QByteArray("-15,0.5\r\n\"\"\r\n#FALSE#\r\n"));
    QCOMPARE(format_number(-0.f), QByteArray("0"));
    QCOMPARE(format_number(1e20f), QByteArray("100000002004087734272"));
}

void tst_settings_file::write_read_round_trip_data()
{
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("left");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::newRow("usual") << 1380.f << 2280.f << "192.168.1.100" << true;
    QTest::newRow("fractions") << 1380.25f << 2280.75f << "router.local" << false;
    QTest::newRow("negative, empty address") << -4500.f << -15.f << "" << true;
    QTest::newRow("latin-1 and blanks") << 0.f << 0.f << " Gerät 1 " << false;
}

void tst_settings_file::write_read_round_trip()
{
    QFETCH(float, top);
    QFETCH(float, left);
    QFETCH(QString, address);
    QFETCH(bool, show);
    const Contents c = parse(format(top, left, address, show));
    QVERIFY(c.position);
    QCOMPARE(c.position->top, top); // exactly
    QCOMPARE(c.position->left, qint32(std::nearbyint(left))); // as a whole number
    QCOMPARE(c.address, address);
    QCOMPARE(c.show_duration, show);
}

QTEST_APPLESS_MAIN(tst_settings_file)
#include "tst_settings_file.moc"
