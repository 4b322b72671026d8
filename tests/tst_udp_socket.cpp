#include "platform/udp_socket.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QUdpSocket>

// The real socket on loopback, with a peer on 127.0.0.2:9118 standing in for the device.
class tst_udp_socket : public QObject {
    Q_OBJECT
private slots:
    void sends_from_9118_and_receives_replies();
    void second_client_reports_port_in_use();
    void unresolvable_name_is_a_send_error();
    void flood_is_read_in_bounded_batches();

private:
    static bool bindPeer(QUdpSocket& peer)
    {
        return peer.bind(QHostAddress("127.0.0.2"), 9118,
            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
    }
};

void tst_udp_socket::sends_from_9118_and_receives_replies()
{
    QUdpSocket peer;
    QVERIFY(bindPeer(peer));
    UdpDatagramSocket socket;
    QVERIFY(socket.isBound());
    socket.setRemoteHost("127.0.0.2");
    socket.sendData(QByteArray::fromHex("ffff020200"));
    QTRY_VERIFY(peer.hasPendingDatagrams());
    const QNetworkDatagram d = peer.receiveDatagram();
    QCOMPARE(d.data(), QByteArray::fromHex("ffff020200"));
    QCOMPARE(d.senderPort(), 9118);

    QSignalSpy arrived(&socket, &DatagramSocket::DataArrival);
    QByteArray got;
    connect(&socket, &DatagramSocket::DataArrival, [&] { got = socket.getData(); });
    peer.writeDatagram(QByteArray::fromHex("fefe181899"), d.senderAddress(), 9118);
    QTRY_COMPARE(arrived.size(), 1);
    QCOMPARE(arrived[0][0].toInt(), 5);
    QCOMPARE(got, QByteArray::fromHex("fefe181899"));
}

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

void tst_udp_socket::flood_is_read_in_bounded_batches()
{
    QUdpSocket peer;
    QVERIFY(bindPeer(peer));
    UdpDatagramSocket socket;
    int arrived = 0;
    connect(&socket, &DatagramSocket::DataArrival, [&] { ++arrived; });
    constexpr int flood = 200;
    for (int i = 0; i < flood; ++i)
        peer.writeDatagram(QByteArray::fromHex("fdfd0000"), QHostAddress("127.0.0.1"), 9118);
    QThread::msleep(50); // all in the socket's buffer, no event handled yet
    QCoreApplication::processEvents();
    QVERIFY2(arrived <= 2 * UdpDatagramSocket::maxDatagramsPerTurn, qPrintable(QString::number(arrived)));
    QTRY_COMPARE(arrived, flood);
}

QTEST_MAIN(tst_udp_socket)
#include "tst_udp_socket.moc"
