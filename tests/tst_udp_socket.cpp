#include "platform/udp_socket.h"

#include <QSignalSpy>
#include <QTest>

// The real socket's claims on port 9118 and its name lookups. Sending, receiving and floods
// are covered end to end in e2e/tst_e2e_link.cpp.
class tst_udp_socket : public QObject {
    Q_OBJECT
private slots:
    void second_client_reports_port_in_use();
    void unresolvable_name_is_a_send_error();
};

void tst_udp_socket::second_client_reports_port_in_use()
{
    auto first = std::make_unique<UdpDatagramSocket>();
    QVERIFY(first->isBound());
    UdpDatagramSocket second;
    QSignalSpy errors(&second, &DatagramSocket::Error);
    QVERIFY(!second.isBound());
    QTRY_COMPARE(errors.size(), 1);
    QCOMPARE(errors[0][0].toInt(), 10048);
    second.setRemoteHost("127.0.0.2");
    try {
        second.sendData("x");
        QFAIL("sent from another port");
    } catch (const SocketError& e) {
        QCOMPARE(e.number, 10048);
    }
    // Once the first client is gone, the port is claimed on the next send.
    first.reset();
    second.sendData(QByteArray::fromHex("ffff010100"));
    QVERIFY(second.isBound());
}

void tst_udp_socket::unresolvable_name_is_a_send_error()
{
    UdpDatagramSocket socket;
    QSignalSpy failed(&socket, &DatagramSocket::SendFailed);
    // A label longer than 63 characters is refused before any name server is asked.
    socket.setRemoteHost(QString(70, 'x') + ".invalid");
    socket.sendData("x"); // returns at once: the lookup runs without blocking
    QCOMPARE(failed.size(), 0);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed[0][0].value<SocketError>().number, 11001);
}

QTEST_MAIN(tst_udp_socket)
#include "tst_udp_socket.moc"
