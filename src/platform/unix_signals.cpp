#include "platform/unix_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pair[2] = { -1, -1 };

extern "C" void on_signal(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(pair[0], &number, 1);
    errno = saved;
}

} // namespace

UnixSignals::UnixSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return;
    m_notifier = new QSocketNotifier(pair[1], QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignals::readPending);
    struct sigaction action { };
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : { SIGTERM, SIGHUP, SIGINT })
        sigaction(s, &action, nullptr);
}

UnixSignals::~UnixSignals()
{
    for (const int s : { SIGTERM, SIGHUP, SIGINT })
        std::signal(s, SIG_DFL);
    for (int& fd : pair) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void UnixSignals::readPending()
{
    char number = 0;
    if (::read(pair[1], &number, 1) == 1)
        emit received(number);
}
