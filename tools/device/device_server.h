#pragma once

#include "device_model.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

// The simulator's side of the wire: a UDP socket on a loopback address, port 9118, that feeds
// the client's commands to the device model and sends its statuses back; every datagram in and
// out is logged with its meaning. Single keys drive the box by hand.
class DeviceServer : public QObject {
    Q_OBJECT
public:
    explicit DeviceServer(DeviceModel& device, QObject* parent = nullptr);

    // Binds the address (loopback only); false with a message on standard error.
    bool listen(const QHostAddress& address);
    // Acts on one key of the key table; unknown keys do nothing.
    void key(char k);
    // The key table as help text.
    static QString keys_help();
    // Floods the client with datagrams of mismatched pairs, as fast as they go, until toggled
    // off; they are counted, not logged.
    void toggleFlood();

private:
    void readBatch();
    void send(const QByteArray& data, const QString& meaning);

    DeviceModel& m_device;
    QUdpSocket m_socket;
    QHostAddress m_client;
    QTimer* m_flood = nullptr;
    long m_flooded = 0;
};

// One line of the log: time, direction, peer, bytes and meaning; or a note.
void log_datagram(const char* dir, const QHostAddress& peer, int port, const QByteArray& data,
    const QString& meaning);
void log_note(const QString& text);
