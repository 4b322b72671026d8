#include "platform/udp_socket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>

// The lookup threads report through this; the socket clears `owner` when it goes, so a lookup
// that ends later reports to nobody.
struct UdpDatagramSocket::Shared {
    std::mutex mutex;
    UdpDatagramSocket* owner = nullptr;
};

namespace {

constexpr int maxWaiting = 16;

// Error numbers in the style that socket users know; the descriptions are the system's.
SocketError from_errno(int error)
{
    int number = 10000 + error;
    switch (error) {
    case EADDRINUSE:
        number = 10048;
        break;
    case EACCES:
    case EPERM:
        number = 10013;
        break;
    case EADDRNOTAVAIL:
        number = 10049;
        break;
    case ENETUNREACH:
    case ENETDOWN:
        number = 10051;
        break;
    case EHOSTUNREACH:
        number = 10065;
        break;
    case EMSGSIZE:
        number = 10040;
        break;
    case ENOTSOCK:
        number = 10038;
        break;
    case ENOBUFS:
        number = 10055;
        break;
    }
    return { number, QString::fromLocal8Bit(std::strerror(error)) };
}

// A name that could be answered: labels of letters, digits, hyphens and underscores (found in
// hosts files), 1 to 63 long, 253 at most in all. Anything else fails here, asking nobody.
bool plausible_name(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 253)
        return false;
    for (const QByteArray& label : name.split('.')) {
        if (label.isEmpty() || label.size() > 63)
            return false;
        for (const char c : label) {
            if (!std::isalnum(uchar(c)) && c != '-' && c != '_')
                return false;
        }
    }
    return true;
}

SocketError in_use(quint16 port)
{
    return { 10048, QStringLiteral("Address already in use: port %1").arg(port) };
}

bool is_loopback(quint32 address) { return (ntohl(address) >> 24) == 127; }

quint32 system_resolve(const QByteArray& name)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    quint32 address = 0;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) == 0 && found) {
        address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        ::freeaddrinfo(found);
    }
    return address;
}

qint64 steady_ms()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

UdpDatagramSocket::UdpDatagramSocket(quint16 port, QObject* parent)
    : DatagramSocket(parent)
    , m_port(port)
    , m_resolver(system_resolve)
    , m_clock(steady_ms)
    , m_buffer(65536, Qt::Uninitialized)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

void UdpDatagramSocket::setResolver(Resolver resolver, Monotonic clock)
{
    m_resolver = std::move(resolver);
    m_clock = std::move(clock);
}

UdpDatagramSocket::~UdpDatagramSocket()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->owner = nullptr;
    }
    for (const int fd : { m_fd, m_claim }) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool UdpDatagramSocket::tryBind(SocketError* error)
{
    // The port is shared only with a device on this machine (the simulator): any local program
    // that binds a shared port later takes its replies, whoever runs it.
    const bool share = is_loopback(m_address);
    if (isBound() && share == m_sharing)
        return true;
    if (isBound()) {
        delete m_notifier;
        m_notifier = nullptr;
        ::close(std::exchange(m_fd, -1));
    }
    if (m_claim < 0) {
        // The claim: a name in the abstract Unix namespace, held while the process lives.
        const int claim = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un name {};
        name.sun_family = AF_UNIX;
        const QByteArray text = "tembrill-connect-udp-" + QByteArray::number(m_port);
        std::memcpy(name.sun_path + 1, text.constData(), size_t(text.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(text.size()));
        if (claim < 0 || ::bind(claim, reinterpret_cast<sockaddr*>(&name), length) != 0) {
            if (claim >= 0)
                ::close(claim);
            *error = in_use(m_port);
            return false;
        }
        m_claim = claim;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in any {};
    any.sin_family = AF_INET;
    any.sin_port = htons(m_port);
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (fd < 0 || (share && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
        || ::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        *error = errno == EADDRINUSE ? in_use(m_port) : from_errno(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_fd = fd;
    m_sharing = share;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &UdpDatagramSocket::readBatch);
    return true;
}

void UdpDatagramSocket::setRemoteHost(const QString& host)
{
    m_host = host;
    m_waiting.clear();
    ++m_lookupId; // a lookup under way reports too late
    in_addr literal {};
    m_named = ::inet_aton(host.trimmed().toLatin1().constData(), &literal) == 0;
    m_address = m_named ? 0 : literal.s_addr;
    m_lookup = m_named ? Lookup::None : Lookup::Resolved;
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

void UdpDatagramSocket::startLookup()
{
    m_lookup = Lookup::Pending;
    const quint64 id = ++m_lookupId;
    QByteArray name = m_host.trimmed().toUtf8();
    if (name.endsWith('.')) // the absolute form; hosts files know the name without the dot
        name.chop(1);
    if (!plausible_name(name)) {
        QTimer::singleShot(0, this, [this, id] { lookupDone(id, 0); });
        return;
    }
    auto lookup = [shared = m_shared, id, name, resolve = m_resolver] {
        const quint32 address = resolve(name);
        const std::lock_guard lock(shared->mutex);
        if (UdpDatagramSocket* owner = shared->owner) {
            QMetaObject::invokeMethod(
                owner, [owner, id, address] { owner->lookupDone(id, address); },
                Qt::QueuedConnection);
        }
    };
    try {
        std::thread(lookup).detach();
    } catch (const std::system_error&) {
        // No thread to be had (a process limit): the name is not found this time.
        QTimer::singleShot(0, this, [this, id] { lookupDone(id, 0); });
    }
}

void UdpDatagramSocket::lookupDone(quint64 id, quint32 address)
{
    if (id != m_lookupId)
        return;
    // A failed lookup keeps the last good answer, which stays old: the next send asks again.
    if (address != 0) {
        m_address = address;
        m_answeredAt = m_clock();
    }
    const QList<QByteArray> waiting = std::exchange(m_waiting, {});
    if (m_address == 0) {
        m_lookup = Lookup::Failed;
        if (!waiting.isEmpty())
            emit SendFailed({ 11001, QStringLiteral("Host not found: %1").arg(m_host) });
        return;
    }
    m_lookup = Lookup::Resolved;
    for (const QByteArray& data : waiting) {
        try {
            SocketError error;
            if (!tryBind(&error))
                throw error;
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
    if (m_lookup == Lookup::Resolved && m_named && m_clock() - m_answeredAt >= lookupMaxAgeMs)
        m_lookup = Lookup::None; // asked again; until it answers, the send waits
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

void UdpDatagramSocket::send(const QByteArray& data)
{
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(m_port);
    to.sin_addr.s_addr = m_address;
    const ssize_t sent = ::sendto(m_fd, data.constData(), size_t(data.size()), 0,
        reinterpret_cast<sockaddr*>(&to), sizeof to);
    if (sent != data.size())
        throw from_errno(errno);
}

void UdpDatagramSocket::readBatch()
{
    // A bounded batch per event-loop turn: the notifier reports readiness again on the next
    // turn while datagrams wait, and timers and painting get their turn in between.
    for (int i = 0; i < maxDatagramsPerTurn; ++i) {
        const ssize_t n = ::recv(m_fd, m_buffer.data(), size_t(m_buffer.size()), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // An error the socket reports on its own, after start-up. Reading rests for a
                // second, so a lasting fault cannot spin the event loop.
                const SocketError e = from_errno(errno);
                m_notifier->setEnabled(false);
                QTimer::singleShot(1000, this, [this] { m_notifier->setEnabled(true); });
                bool cancel = false;
                emit Error(qint16(e.number), e.description, 0, QStringLiteral("socket"), QString(),
                    0, &cancel);
            }
            break;
        }
        m_pending = QByteArray(m_buffer.constData(), n);
        emit DataArrival(qint32(n));
    }
    m_pending.clear();
}
