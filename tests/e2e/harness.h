#pragma once

// Helpers for end-to-end tests: child processes that die with the test, the device simulator
// with its log, and a private X server with a window manager.

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <vector>

// A child process started with fork and exec; killed when the object goes, and by the kernel
// when the test process dies, so nothing is left behind after a failed or aborted test.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    ~Child() { stop(); }
    bool start(const std::vector<std::string>& argv, int keepFd = -1);
    void stop();
    bool running();
    int pid() const { return m_pid; }

private:
    int m_pid = -1;
};

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

// Xvfb at 96 dpi (15 twips per pixel) with openbox.
class X11Session {
public:
    bool start();
    QByteArray display() const { return m_display; }
    // Runs a command on this display; its standard output.
    QByteArray run(const QString& program, const QStringList& args);

private:
    Child m_server;
    Child m_wm;
    QByteArray m_display;
};

// A temporary directory that holds a remote.inf naming the simulator.
QTemporaryDir* directory_for_client(const QByteArray& remote_inf);

QString client_binary();
QString device_binary();
