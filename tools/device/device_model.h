#pragma once

#include <QByteArray>
#include <QObject>

class QTimer;

// A dial-up box as the client sees it: a line and a second channel, each idle, dialing or up.
// Commands that make no sense in the current state are ignored, as a real box would.
class DeviceModel : public QObject {
    Q_OBJECT
public:
    enum class Channel { Down, Dialing, Up };

    struct Options {
        int dialMs = 3000;
        int unaskedType = 254; // type of the statuses sent without a poll: 253 or 254
        bool failDial = false;
        int dropAfterS = 0; // the line drops by itself this long after coming up; 0: never
        bool silent = false; // no answers at all
    };

    explicit DeviceModel(const Options& options, QObject* parent = nullptr);

    // A command code of the wire codec, from the client or from the box's own keys.
    void command(int code);
    void dropLine();
    void restart();
    // Sends a datagram as it is, with its meaning for the log.
    void sendRaw(const QByteArray& datagram);

    int flags() const;
    QByteArray status(int type) const;
    Options& options() { return m_options; }

signals:
    // A datagram for the client.
    void send(const QByteArray& datagram, const QString& meaning);

private:
    void changed();
    // Both channels down, no call or drop pending.
    void allDown();
    void dialDone();

    Options m_options;
    Channel m_line = Channel::Down;
    Channel m_second = Channel::Down;
    QTimer* m_dial = nullptr;
    QTimer* m_drop = nullptr;
};
