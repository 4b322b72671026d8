#pragma once

#include "platform/datagram_socket.h"

#include <QList>

#include <functional>
#include <memory>

class QSocketNotifier;

// The real datagram socket: a plain UDP socket bound to port 9118 on all IPv4 addresses and
// read through a QSocketNotifier (no Qt Network, which costs start-up time and memory).
//
// The socket binds when it is given its remote host. For a device on a loopback address the port
// is shared (SO_REUSEADDR), so that a device simulator bound to that address can run beside
// the client; for any other device it is not, and no other program can bind it while the
// client holds it. A second client on the same machine must not take the first one's replies,
// so the port is claimed through a per-machine lock first; while another program holds it,
// every send fails with "address in use" and the socket tries to bind again on each send.
// Names are looked up on a worker thread, and again before a send once the last answer is a
// minute old (a box that moved to a new address is still reached); a failed lookup keeps the
// last good address. A dotted address is never looked up.
class UdpDatagramSocket : public DatagramSocket {
    Q_OBJECT
public:
    // Looks a name up, on the worker thread: its IPv4 address in network byte order, or 0.
    using Resolver = std::function<quint32(const QByteArray& name)>;
    // Milliseconds on a clock that never goes back.
    using Monotonic = std::function<qint64()>;

    explicit UdpDatagramSocket(quint16 port = 9118, QObject* parent = nullptr);
    ~UdpDatagramSocket() override;
    void setResolver(Resolver resolver, Monotonic clock);

    void setRemoteHost(const QString& host) override;
    void sendData(const QByteArray& data) override;
    QByteArray getData() override { return m_pending; }

    bool isBound() const { return m_fd >= 0; }
    bool isLookingUp() const { return m_lookup == Lookup::Pending; }
    // How old a name's answer may be before a send asks again.
    static constexpr qint64 lookupMaxAgeMs = 60000;

    // Most datagrams handled per event-loop turn, so a flood cannot starve timers or painting.
    static constexpr int maxDatagramsPerTurn = 32;

private:
    enum class Lookup { None, Resolved, Pending, Failed };
    struct Shared;

    bool tryBind(SocketError* error);
    void startLookup();
    void lookupDone(quint64 id, quint32 address);
    void readBatch();
    void send(const QByteArray& data);

    quint16 m_port;
    int m_fd = -1;
    int m_claim = -1;
    bool m_sharing = false; // bound with SO_REUSEADDR
    QSocketNotifier* m_notifier = nullptr;
    QString m_host;
    bool m_named = false; // the host is a name, not a dotted address
    quint32 m_address = 0; // network byte order; for a name, the last good answer
    qint64 m_answeredAt = 0;
    Resolver m_resolver;
    Monotonic m_clock;
    Lookup m_lookup = Lookup::None;
    quint64 m_lookupId = 0;
    QList<QByteArray> m_waiting;
    QByteArray m_pending;
    QByteArray m_buffer;
    std::shared_ptr<Shared> m_shared;
};
