#pragma once

// Helpers for end-to-end tests: helper processes that die with the test, and the device
// simulator with its log.

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Started processes are killed by the kernel when the test process dies, so nothing is left
// behind after a failed or aborted test.
void start_tied(QProcess& process, const QString& program, const QStringList& args);

// The device simulator, its log read as it is written, keys sent to its standard input.
class Device {
public:
    explicit Device(const QStringList& args);
    ~Device();
    QStringList log(); // all lines so far
    int count(const QString& fragment);
    void key(char k);

private:
    QProcess m_process;
    QStringList m_lines;
};

// Runs a command to its end; its standard output.
QByteArray run(const QString& program, const QStringList& args);

// A temporary directory that holds the given remote.inf.
QTemporaryDir* directory_for_client(const QByteArray& remote_inf);

QString client_binary();
QString device_binary();
