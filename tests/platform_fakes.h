#pragma once

// Stand-ins for the platform services, so a Main can be built, driven and read without a
// network, a clock or a modal box; the tests and the benchmarks share them.

#include "platform/datagram_socket.h"
#include "platform/hyperlink.h"
#include "platform/message_boxes.h"
#include "platform/settings_opener.h"
#include "platform/time_source.h"

#include <functional>
#include <optional>

struct FakeSocket : DatagramSocket {
    void setRemoteHost(const QString& host) override { hosts << host; }
    void sendData(const QByteArray& data) override
    {
        if (fail)
            throw *fail;
        sent << data;
    }
    QByteArray getData() override { return pending; }
    void deliver(const QByteArray& hex)
    {
        pending = QByteArray::fromHex(hex);
        emit DataArrival(qint32(pending.size()));
    }

    QStringList hosts; // every remote host set, in order
    QList<QByteArray> sent;
    QByteArray pending;
    std::optional<SocketError> fail;
};

struct FakeClock : TimeSource {
    TimeOfDay now() const override { return t; }
    TimeOfDay t { 1, 36000 };
};

struct FakeBoxes : MessageBoxes {
    void show_message(const QString& text) override { shown << text; }
    void show_and_wait(const QString& text) override { shown << text; }
    void print_error(const QString& line) override { printed << line; }
    QStringList shown;
    QStringList printed;
};

// Plays the user in the dialog: `answer` sets Globals as OK would and says whether it was OK.
struct FakeSettings : SettingsOpener {
    bool open_settings() override { return answer && answer(); }
    std::function<bool()> answer;
};

struct FakeHyperlink : Hyperlink {
    void NavigateTo(const QString& t, const QString& l, const QString& f) override
    {
        calls << QStringList { t, l, f };
    }
    QList<QStringList> calls;
};
