#include "link/duration.h"
#include "link/wire.h"

#include <QTest>

using namespace wire;

class tst_wire : public QObject {
    Q_OBJECT
private slots:
    void command_bytes_are_five();
    void command_choice_data();
    void command_choice();
    void reply_validation_data();
    void reply_validation();
    void format_duration_text_data();
    void format_duration_text();
};

void tst_wire::command_bytes_are_five()
{
    QCOMPARE(command_bytes(255, cmd_connect), QByteArray::fromHex("ffff020200"));
    QCOMPARE(command_bytes(255, cmd_poll), QByteArray::fromHex("ffff010100"));
    QCOMPARE(command_bytes(255, cmd_singlelink), QByteArray::fromHex("ffff050500"));
}

void tst_wire::command_choice_data()
{
    QTest::addColumn<bool>("link_up");
    QTest::addColumn<bool>("dialing");
    QTest::addColumn<bool>("multilink_up");
    QTest::addColumn<int>("connect_code");
    QTest::addColumn<int>("multilink_code");
    QTest::newRow("idle") << false << false << false << 2 << 4;
    QTest::newRow("line dialing") << false << true << false << 3 << 4;
    QTest::newRow("line up") << true << false << false << 3 << 4;
    QTest::newRow("second channel dialing") << true << true << false << 3 << 5;
    QTest::newRow("both up") << true << false << true << 3 << 5;
    QTest::newRow("both up, dialing") << true << true << true << 3 << 5;
    QTest::newRow("second only") << false << false << true << 2 << 5;
    QTest::newRow("second up, line dialing") << false << true << true << 3 << 5;
}

void tst_wire::command_choice()
{
    QFETCH(bool, link_up);
    QFETCH(bool, dialing);
    QFETCH(bool, multilink_up);
    QFETCH(int, connect_code);
    QFETCH(int, multilink_code);
    QCOMPARE(connect_command(link_up, dialing), connect_code);
    QCOMPARE(multilink_command(link_up, dialing, multilink_up), multilink_code);
}

void tst_wire::reply_validation_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("valid");
    QTest::newRow("full status") << QByteArray::fromHex("fefe0909") << true << true;
    QTest::newRow("types differ") << QByteArray::fromHex("fefd0909") << true << false;
    QTest::newRow("flags differ") << QByteArray::fromHex("fefe0908") << true << false;
    QTest::newRow("six bytes") << QByteArray::fromHex("fefe09097f80") << true << true;
    QTest::newRow("command echo") << QByteArray::fromHex("ffff0101") << true << true;
    QTest::newRow("zeros") << QByteArray::fromHex("00000000") << true << true;
    QTest::newRow("three bytes") << QByteArray::fromHex("fefe09") << false << false;
    QTest::newRow("empty") << QByteArray() << false << false;
}

void tst_wire::reply_validation()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, readable);
    QFETCH(bool, valid);
    const std::optional<Reply> r = read_reply(datagram);
    QCOMPARE(r.has_value(), readable);
    if (r) {
        QCOMPARE(reply_valid(*r), valid);
        QCOMPARE((*r)[0], qint16(quint8(datagram[0])));
        QCOMPARE((*r)[2], qint16(quint8(datagram[2])));
        QCOMPARE((*r)[4], qint16(0));
    }
}

void tst_wire::format_duration_text_data()
{
    QTest::addColumn<int>("secs");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "00:00:00";
    QTest::newRow("59") << 59 << "00:00:59";
    QTest::newRow("61") << 61 << "00:01:01";
    QTest::newRow("3599") << 3599 << "00:59:59";
    QTest::newRow("3600") << 3600 << "01:00:00";
    QTest::newRow("86399") << 86399 << "23:59:59";
    QTest::newRow("360000") << 360000 << "100:00:00";
    QTest::newRow("-1") << -1 << "-01:59:59";
    QTest::newRow("-3600") << -3600 << "-01:00:00";
    QTest::newRow("int max") << 2147483647 << "596523:14:07";
    QTest::newRow("int min") << int(-2147483648LL) << "-596524:45:52";
}

void tst_wire::format_duration_text()
{
    QFETCH(int, secs);
    QFETCH(QString, text);
    QCOMPARE(format_duration(secs), text);
}

QTEST_APPLESS_MAIN(tst_wire)
#include "tst_wire.moc"
