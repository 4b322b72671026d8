#include "harness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

bool Child::start(const std::vector<std::string>& argv, int keepFd)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(1);
        const int nul = open("/dev/null", O_RDWR);
        dup2(nul, 0);
        dup2(nul, 1);
        dup2(nul, 2);
        for (int fd = 3; fd < 256; ++fd) {
            if (fd != keepFd)
                close(fd);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    return m_pid > 0;
}

void Child::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 50 && running(); ++i)
        QThread::msleep(20);
    if (running()) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

bool Child::running()
{
    if (m_pid <= 0)
        return false;
    return waitpid(m_pid, nullptr, WNOHANG) == 0;
}

Device::Device(const QStringList& args)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(device_binary(), args);
    m_process.waitForStarted();
    // Ready once it says it listens.
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && count("listening") == 0)
        m_process.waitForReadyRead(100);
}

Device::~Device()
{
    m_process.kill();
    m_process.waitForFinished(2000);
}

QStringList Device::log()
{
    QCoreApplication::processEvents();
    while (m_process.canReadLine())
        m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
    return m_lines;
}

int Device::count(const QString& fragment)
{
    int n = 0;
    for (const QString& line : log())
        n += line.contains(fragment);
    return n;
}

void Device::key(char k)
{
    m_process.write(&k, 1);
    m_process.waitForBytesWritten(1000);
}

bool X11Session::start()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    // The server picks a free display itself and writes its number to the pipe.
    const bool started = m_server.start({ "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen",
                                            "0", "1024x768x24", "-dpi", "96", "-nolisten", "tcp" },
        fds[1]);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        return false;
    }
    char buf[16] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    if (n <= 0)
        return false;
    m_display = ':' + QByteArray(buf).trimmed();
    setenv("DISPLAY", m_display.constData(), 1);
    if (!m_wm.start({ "openbox", "--sm-disable" }))
        return false;
    // Ready once the window manager answers.
    for (int i = 0; i < 100; ++i) {
        QProcess check;
        check.start("wmctrl", { "-m" });
        if (check.waitForFinished(2000) && check.exitCode() == 0)
            return true;
        QThread::msleep(50);
    }
    return false;
}

QByteArray X11Session::run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

QTemporaryDir* directory_for_client(const QByteArray& remote_inf)
{
    auto* dir = new QTemporaryDir;
    QFile f(dir->filePath("remote.inf"));
    f.open(QIODevice::WriteOnly);
    f.write(remote_inf);
    return dir;
}

QString client_binary() { return QStringLiteral(TEMBRILL_CONNECT_BIN); }
QString device_binary() { return QStringLiteral(TEMBRILL_DEVICE_BIN); }
