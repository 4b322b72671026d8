#include "harness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include <csignal>
#include <sys/prctl.h>

void start_tied(QProcess& process, const QString& program, const QStringList& args)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, args);
    process.waitForStarted();
}

Device::Device(const QStringList& args)
{
    start_tied(m_process, device_binary(), args);
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

QByteArray run(const QString& program, const QStringList& args)
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
