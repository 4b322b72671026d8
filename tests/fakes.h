#pragma once

// Stand-ins for the platform services, so a Main can be built, driven and read in a test.

#include "main/main_window.h"
#include "platform/datagram_socket.h"
#include "platform/hyperlink.h"
#include "platform/message_boxes.h"
#include "platform/settings_opener.h"
#include "platform/time_source.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

class FakeSocket : public DatagramSocket {
public:
    void setRemoteHost(const QString& host) override
    {
        host_ = host;
        ++host_sets;
    }
    QString remoteHost() const override { return host_; }
    void sendData(const QByteArray& data) override
    {
        if (fail)
            throw *fail;
        sent << data;
    }
    QByteArray getData() override { return pending; }

    void deliver(const QByteArray& data)
    {
        pending = data;
        emit DataArrival(qint32(data.size()));
    }
    void deliver(int type, int flags)
    {
        const char bytes[] = { char(type), char(type), char(flags), char(flags) };
        deliver(QByteArray(bytes, 4));
    }

    QString host_;
    int host_sets = 0;
    QList<QByteArray> sent;
    QByteArray pending;
    std::optional<SocketError> fail;
};

class FakeClock : public TimeSource {
public:
    TimeOfDay now() const override { return t; }
    TimeOfDay t { 1, 36000 };
};

class FakeBoxes : public MessageBoxes {
public:
    void show_message(const QString& text) override { shown << text; }
    QStringList shown;
};

// Plays the user in the settings dialog: `answer` changes Globals as OK or Abbrechen would.
class FakeSettings : public SettingsOpener {
public:
    void open_settings() override
    {
        ++opened;
        if (answer)
            answer();
    }
    std::function<void()> answer;
    int opened = 0;
};

class FakeHyperlink : public Hyperlink {
public:
    void NavigateTo(const QString& t, const QString& l, const QString& f) override
    {
        calls << QStringList { t, l, f };
    }
    QList<QStringList> calls;
};

// A Main with fakes, started in a temporary directory that is current while it lives.
struct Rig {
    explicit Rig(const QByteArray& remote_inf = {}, bool write_file = false)
    {
        QDir::setCurrent(dir.path());
        if (write_file) {
            QFile f(dir.filePath("remote.inf"));
            f.open(QIODevice::WriteOnly);
            f.write(remote_inf);
        }
        main.emplace(MainServices { &socket, &clock, &boxes, &settings });
    }
    ~Rig() { QDir::setCurrent(QDir::tempPath()); }
    QByteArray file() const
    {
        QFile f(dir.filePath("remote.inf"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    QTemporaryDir dir;
    FakeSocket socket;
    FakeClock clock;
    FakeBoxes boxes;
    FakeSettings settings;
    std::optional<Main> main;
};

// Which of the three sources a lamp shows: "lit", "unlit", "red" or "?".
inline QString lamp(const Main& m, const QLabel* l)
{
    const qint64 key = l->pixmap().cacheKey();
    if (key == m.led_on->pixmap().cacheKey())
        return "lit";
    if (key == m.led_off->pixmap().cacheKey())
        return "unlit";
    if (key == m.led_red->pixmap().cacheKey())
        return "red";
    return "?";
}
