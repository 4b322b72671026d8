#include "platform/udp_socket.h"

#include <QHostInfo>
#include <QLocalServer>
#include <QNetworkDatagram>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUdpSocket>

namespace {

// Error numbers in the style that socket users know; the descriptions come from Qt.
int errorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10051;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10047;
    default:
        return 10000 + int(error) + 100;
    }
}

constexpr int maxWaiting = 16;

} // namespace

UdpDatagramSocket::UdpDatagramSocket(quint16 port, QObject* parent)
    : DatagramSocket(parent)
    , m_port(port)
{
    SocketError error;
    if (!tryBind(&error)) {
        // Reported once the window runs, through the same event as any socket error.
        QTimer::singleShot(0, this, [this, error] {
            bool cancel = false;
            emit Error(qint16(error.number), error.description, 0, QStringLiteral("socket"),
                QString(), 0, &cancel);
        });
    }
}

UdpDatagramSocket::~UdpDatagramSocket() = default;

bool UdpDatagramSocket::isBound() const
{
    return m_udp && m_udp->state() == QAbstractSocket::BoundState;
}

bool UdpDatagramSocket::tryBind(SocketError* error)
{
    if (isBound())
        return true;
    if (!m_lock) {
        auto* lock = new QLocalServer(this);
        lock->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (!lock->listen(QStringLiteral("tembrill-connect-udp-%1").arg(m_port))) {
            delete lock;
            *error = { 10048,
                QStringLiteral("Address already in use: another Tembrill Connect uses port %1")
                    .arg(m_port) };
            return false;
        }
        m_lock = lock;
    }
    if (!m_udp) {
        m_udp = new QUdpSocket(this);
        QObject::connect(m_udp, &QUdpSocket::readyRead, this, &UdpDatagramSocket::readBatch);
        QObject::connect(m_udp, &QUdpSocket::errorOccurred, this, &UdpDatagramSocket::reportError);
    }
    const QScopedValueRollback own(m_ownCall, true);
    if (!m_udp->bind(QHostAddress::AnyIPv4, m_port,
            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        *error = { errorNumber(m_udp->error()), m_udp->errorString() };
        m_udp->abort();
        return false;
    }
    return true;
}

void UdpDatagramSocket::setRemoteHost(const QString& host)
{
    m_host = host;
    m_waiting.clear();
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    QHostAddress literal;
    if (literal.setAddress(host)) {
        m_address = literal;
        m_lookup = Lookup::Resolved;
    } else {
        m_address.clear();
        m_lookup = Lookup::None;
    }
}

void UdpDatagramSocket::startLookup()
{
    m_lookup = Lookup::Pending;
    m_lookupId = QHostInfo::lookupHost(m_host, this, &UdpDatagramSocket::lookupDone);
}

void UdpDatagramSocket::lookupDone(const QHostInfo& info)
{
    if (info.lookupId() != m_lookupId)
        return;
    m_lookupId = -1;
    m_address.clear();
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            m_address = a;
            break;
        }
    }
    const QList<QByteArray> waiting = std::exchange(m_waiting, {});
    if (m_address.isNull()) {
        m_lookup = Lookup::Failed;
        if (!waiting.isEmpty())
            emit SendFailed({ 11001, QStringLiteral("Host not found: %1").arg(m_host) });
        return;
    }
    m_lookup = Lookup::Resolved;
    for (const QByteArray& data : waiting) {
        try {
            send(data);
        } catch (const SocketError& e) {
            emit SendFailed(e);
            break;
        }
    }
}

void UdpDatagramSocket::sendData(const QByteArray& data)
{
    SocketError error;
    if (!tryBind(&error))
        throw error;
    if (m_host.isEmpty())
        throw SocketError { 11004, QStringLiteral("No remote host is set") };
    switch (m_lookup) {
    case Lookup::Resolved:
        send(data);
        return;
    case Lookup::None:
    case Lookup::Failed:
        // A name is looked up without blocking; the datagram leaves once it is resolved.
        startLookup();
        [[fallthrough]];
    case Lookup::Pending:
        // One of each: the polls of a slow lookup leave once, not in a burst when it ends.
        if (!m_waiting.contains(data) && m_waiting.size() < maxWaiting)
            m_waiting.append(data);
        return;
    }
}

void UdpDatagramSocket::reportError(QAbstractSocket::SocketError error)
{
    // A failed bind or send is reported by its caller, with the send error's own text.
    if (m_ownCall)
        return;
    bool cancel = false;
    emit Error(qint16(errorNumber(error)), m_udp->errorString(), 0, QStringLiteral("socket"),
        QString(), 0, &cancel);
}

void UdpDatagramSocket::send(const QByteArray& data)
{
    const QScopedValueRollback own(m_ownCall, true);
    if (m_udp->writeDatagram(data, m_address, m_port) != data.size())
        throw SocketError { errorNumber(m_udp->error()), m_udp->errorString() };
}

QByteArray UdpDatagramSocket::getData() { return m_pending; }

void UdpDatagramSocket::readBatch()
{
    // A bounded batch per event-loop turn: the socket reports readiness again on the next turn
    // while datagrams wait, and timers and painting get their turn in between. Reading only
    // here matters: a readiness report that finds nothing to read would end the reports.
    for (int i = 0; i < maxDatagramsPerTurn && m_udp->hasPendingDatagrams(); ++i) {
        const QNetworkDatagram datagram = m_udp->receiveDatagram();
        m_pending = datagram.data();
        emit DataArrival(qint32(m_pending.size()));
    }
    m_pending.clear();
}
