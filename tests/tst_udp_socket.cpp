#include "platform/udp_socket.h"

#include <QSignalSpy>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// The real socket on port 9118: who holds the port, name lookups, and errors after start. It
// only ever sends to loopback addresses, here to itself on 127.0.0.1:9118.
class tst_udp_socket : public QObject {
    Q_OBJECT
private slots:
    void port_held_by_another_data();
    void port_held_by_another();
    void addresses_data();
    void addresses();
    void later_errors_reach_the_error_event();
};

void tst_udp_socket::port_held_by_another_data()
{
    QTest::addColumn<bool>("client"); // another client; else another program
    QTest::newRow("a second client") << true;
    QTest::newRow("another program") << false;
}

void tst_udp_socket::port_held_by_another()
{
    QFETCH(bool, client);
    auto first = std::make_unique<UdpDatagramSocket>();
    const int other = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any { AF_INET, htons(9118), {}, {} };
    if (!client) { // another program binds it alone
        first.reset();
        QCOMPARE(bind(other, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
    }
    UdpDatagramSocket second;
    QSignalSpy errors(&second, &DatagramSocket::Error);
    QTRY_COMPARE(errors.size(), 1); // one clear report, once the window runs
    QCOMPARE(errors[0][0].toInt(), 10048);
    second.setRemoteHost("127.0.0.1");
    QVERIFY_THROWS_EXCEPTION(SocketError, second.sendData("x")); // not from another port
    // Once the port is free again, it is claimed on the next send.
    first.reset();
    close(other);
    second.sendData(QByteArray::fromHex("ffff010100"));
    QVERIFY(second.isBound());
    QCOMPARE(errors.size(), 1);
}

void tst_udp_socket::addresses_data()
{
    // Sends poll, poll, poll, connect before any lookup can end; then what arrived at the
    // socket itself, or the send error.
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("result");
    // clang-format off
    QTest::newRow("address")          << "127.0.0.1"     << "ffff010100 ffff010100 ffff010100 ffff020200";
    QTest::newRow("blank-padded")     << " 127.0.0.1 "   << "ffff010100 ffff010100 ffff010100 ffff020200";
    QTest::newRow("name: one of each") << "localhost"    << "ffff010100 ffff020200";
    QTest::newRow("empty")            << ""              << "error 11004";
    // A label longer than 63 characters is refused before any name server is asked.
    QTest::newRow("unresolvable")     << QString(70, 'x') + ".invalid" << "error 11001";
    // clang-format on
}

void tst_udp_socket::addresses()
{
    QFETCH(QString, host);
    QFETCH(QString, result);
    UdpDatagramSocket socket;
    QStringList arrived;
    QObject::connect(&socket, &DatagramSocket::DataArrival,
        [&] { arrived << QString(socket.getData().toHex()); });
    QObject::connect(&socket, &DatagramSocket::SendFailed,
        [&](const SocketError& e) { arrived << QString("error %1").arg(e.number); });
    socket.setRemoteHost(host);
    try {
        for (const char* hex : { "ffff010100", "ffff010100", "ffff010100", "ffff020200" })
            socket.sendData(QByteArray::fromHex(hex)); // returns at once, also while looking up
    } catch (const SocketError& e) {
        arrived << QString("error %1").arg(e.number);
    }
    QTRY_COMPARE(arrived.join(' '), result);
    QTest::qWait(100);
    QCOMPARE(arrived.join(' '), result); // and nothing more
}

void tst_udp_socket::later_errors_reach_the_error_event()
{
    // Behind the socket's back its descriptor becomes a pipe with data: the next read fails.
    UdpDatagramSocket socket;
    QSignalSpy errors(&socket, &DatagramSocket::Error);
    int pipe_ends[2];
    QVERIFY(socket.isBound() && pipe(pipe_ends) == 0 && write(pipe_ends[1], "x", 1) == 1
        && dup2(pipe_ends[0], socket.handle()) == socket.handle());
    QTRY_COMPARE(errors.size(), 1);
    QCOMPARE(errors[0][0].toInt(), 10038); // not a socket
    QTest::qWait(300);
    QCOMPARE(errors.size(), 1); // and the loop does not spin on it
    close(pipe_ends[0]);
    close(pipe_ends[1]);
}

QTEST_MAIN(tst_udp_socket)
#include "tst_udp_socket.moc"
