#pragma once

#include "platform/datagram_socket.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>

class QLocalServer;
class QUdpSocket;
class QHostInfo;

// The real datagram socket: a QUdpSocket bound to port 9118 on all IPv4 addresses.
//
// The port is shared (SO_REUSEADDR) so that a device simulator bound to a single loopback
// address can run beside the client. A second client on the same machine must not take the
// first one's replies, so the port is claimed through a per-machine lock first; while another
// client holds it, every send fails with "address in use" and the socket keeps trying to claim
// it again on each send.
class UdpDatagramSocket : public DatagramSocket {
    Q_OBJECT
public:
    explicit UdpDatagramSocket(quint16 port = 9118, QObject* parent = nullptr);
    ~UdpDatagramSocket() override;

    void setRemoteHost(const QString& host) override;
    QString remoteHost() const override { return m_host; }
    void sendData(const QByteArray& data) override;
    QByteArray getData() override;

    bool isBound() const;

    // Most datagrams handled per event-loop turn, so a flood cannot starve timers or painting.
    static constexpr int maxDatagramsPerTurn = 32;

private:
    enum class Lookup { None, Resolved, Pending, Failed };

    bool tryBind(SocketError* error);
    void startLookup();
    void lookupDone(const QHostInfo& info);
    void readBatch();
    // Errors the socket reports on its own (not those of our bind or send) go to Error.
    void reportError(QAbstractSocket::SocketError error);
    void send(const QByteArray& data);

    quint16 m_port;
    QUdpSocket* m_udp = nullptr;
    QLocalServer* m_lock = nullptr;
    QString m_host;
    QHostAddress m_address;
    Lookup m_lookup = Lookup::None;
    int m_lookupId = -1;
    QList<QByteArray> m_waiting;
    bool m_ownCall = false;
    QByteArray m_pending;
};
