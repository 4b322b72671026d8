#include "platform/unix_signals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int stops[] = { SIGTERM, SIGHUP, SIGINT };
struct sigaction previous[std::size(stops)];
bool installed[std::size(stops)];
int read_end = -1;
// Read by the handler: a lock-free atomic is safe there.
std::atomic<int> write_end { -1 };

extern "C" void on_signal(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    // Non-blocking: with the pipe full, the stop is already on its way.
    [[maybe_unused]] const ssize_t n = ::write(write_end.load(), &number, 1);
    errno = saved;
}

} // namespace

UnixSignals::UnixSignals(QObject* parent)
    : QObject(parent)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        return;
    read_end = pair[1];
    write_end = pair[0];
    m_notifier = new QSocketNotifier(read_end, QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignals::readPending);
    struct sigaction action { };
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(stops); ++i) {
        // A signal the parent chose to ignore stays ignored (nohup, a service manager).
        installed[i] = ::sigaction(stops[i], nullptr, &previous[i]) == 0
            && previous[i].sa_handler != SIG_IGN && ::sigaction(stops[i], &action, nullptr) == 0;
    }
}

UnixSignals::~UnixSignals()
{
    // The handlers go first; only then the pipe they write to.
    for (size_t i = 0; i < std::size(stops); ++i) {
        if (std::exchange(installed[i], false))
            ::sigaction(stops[i], &previous[i], nullptr);
    }
    delete m_notifier;
    for (const int fd : { write_end.exchange(-1), std::exchange(read_end, -1) }) {
        if (fd >= 0)
            ::close(fd);
    }
}

void UnixSignals::readPending()
{
    char number = 0;
    if (::read(read_end, &number, 1) == 1)
        emit received(number);
}
