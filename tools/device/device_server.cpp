#include "device_server.h"

#include "device_wire.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QTime>

#include <cstdio>

using namespace wire;

namespace {

struct Key {
    char key;
    const char* help;
    void (*action)(DeviceModel& device, DeviceServer& server);
};

void connect_line(DeviceModel& d, DeviceServer&) { d.command(cmd_connect); }
void hang_up(DeviceModel& d, DeviceServer&) { d.command(cmd_hang_up); }
void add_second(DeviceModel& d, DeviceServer&) { d.command(cmd_multilink); }
void drop_second(DeviceModel& d, DeviceServer&) { d.command(cmd_singlelink); }
void drop_line(DeviceModel& d, DeviceServer&) { d.dropLine(); }
void send_repoll(DeviceModel& d, DeviceServer&) { d.sendRaw(status_bytes(reply_repoll, 0)); }
void send_mismatched(DeviceModel& d, DeviceServer&) { d.sendRaw(QByteArray::fromHex("fefd0101")); }
void send_unknown(DeviceModel& d, DeviceServer&) { d.sendRaw(status_bytes(250, flag_link_up)); }
void flood(DeviceModel&, DeviceServer& s) { s.toggleFlood(); }
void quit(DeviceModel&, DeviceServer&) { QCoreApplication::quit(); }

void restart(DeviceModel& d, DeviceServer&)
{
    log_note(QStringLiteral("restart"));
    d.restart();
}

void toggle_failing_dials(DeviceModel& d, DeviceServer&)
{
    d.options().failDial = !d.options().failDial;
    log_note(d.options().failDial ? QStringLiteral("dials fail") : QStringLiteral("dials succeed"));
}

void toggle_silence(DeviceModel& d, DeviceServer&)
{
    d.options().silent = !d.options().silent;
    log_note(d.options().silent ? QStringLiteral("silent") : QStringLiteral("answering"));
}

void unasked_as_253(DeviceModel& d, DeviceServer&)
{
    d.options().unaskedType = reply_status;
    log_note(QStringLiteral("unasked type 253"));
}

void unasked_as_254(DeviceModel& d, DeviceServer&)
{
    d.options().unaskedType = reply_full_status;
    log_note(QStringLiteral("unasked type 254"));
}

const Key key_table[] = {
    { 'c', "connect the line", connect_line },
    { 'h', "hang up", hang_up },
    { 'm', "add the second channel", add_second },
    { 's', "drop the second channel", drop_second },
    { 'd', "drop the line now", drop_line },
    { 'r', "restart (sends a repoll reply)", restart },
    { 'p', "send a repoll reply", send_repoll },
    { 'g', "send mismatched pairs", send_mismatched },
    { 'u', "send an unknown type", send_unknown },
    { 'f', "toggle failing dials", toggle_failing_dials },
    { 'x', "toggle silence", toggle_silence },
    { '3', "unasked statuses as 253", unasked_as_253 },
    { '4', "unasked statuses as 254", unasked_as_254 },
    { 'b', "flood the client (on/off)", flood },
    { 'q', "quit", quit },
};

QString now() { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")); }

} // namespace

void log_datagram(const char* dir, const QHostAddress& peer, int port, const QByteArray& data,
    const QString& meaning)
{
    std::printf("%s %-3s %s:%d %s  %s\n", qPrintable(now()), dir, qPrintable(peer.toString()), port,
        data.toHex(' ').constData(), qPrintable(meaning));
    std::fflush(stdout);
}

void log_note(const QString& text)
{
    std::printf("%s --- %s\n", qPrintable(now()), qPrintable(text));
    std::fflush(stdout);
}

DeviceServer::DeviceServer(DeviceModel& device, QObject* parent)
    : QObject(parent)
    , m_device(device)
{
    QObject::connect(&m_device, &DeviceModel::send, this, &DeviceServer::send);
    QObject::connect(&m_socket, &QUdpSocket::readyRead, this, &DeviceServer::readBatch);
}

bool DeviceServer::listen(const QHostAddress& address)
{
    if (address.isNull() || !address.isLoopback()) {
        std::fprintf(stderr, "tembrill-device: listens on loopback addresses only, not %s\n",
            qPrintable(address.toString()));
        return false;
    }
    // Shared, so the client's own socket on all addresses of port 9118 can sit beside it.
    if (!m_socket.bind(
            address, port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "tembrill-device: cannot listen on %s:%d: %s\n",
            qPrintable(address.toString()), port, qPrintable(m_socket.errorString()));
        return false;
    }
    log_note(QStringLiteral("listening on %1:%2").arg(address.toString()).arg(port));
    return true;
}

void DeviceServer::key(char k)
{
    for (const Key& entry : key_table) {
        if (entry.key == k)
            entry.action(m_device, *this);
    }
}

QString DeviceServer::keys_help()
{
    QString text = QStringLiteral("Keys while running (standard input):\n");
    for (const Key& entry : key_table)
        text += QStringLiteral("  ") + QLatin1Char(entry.key) + QStringLiteral("  ")
            + QLatin1String(entry.help) + QLatin1Char('\n');
    return text;
}

void DeviceServer::toggleFlood()
{
    if (!m_flood) {
        m_flood = new QTimer(this);
        QObject::connect(m_flood, &QTimer::timeout, this, [this] {
            const QByteArray bad = QByteArray::fromHex("fefd0101");
            for (int i = 0; i < 1000 && !m_client.isNull(); ++i)
                m_flooded += m_socket.writeDatagram(bad, m_client, port) == bad.size();
        });
    }
    if (m_flood->isActive()) {
        m_flood->stop();
        log_note(QStringLiteral("flood off: %1 datagrams").arg(m_flooded));
    } else {
        m_flooded = 0;
        m_flood->start(0);
        log_note(QStringLiteral("flood on"));
    }
}

void DeviceServer::readBatch()
{
    // A bounded batch per readiness report: a flood cannot starve the keys.
    for (int i = 0; i < 64 && m_socket.hasPendingDatagrams(); ++i) {
        const QNetworkDatagram d = m_socket.receiveDatagram();
        log_datagram("in", d.senderAddress(), d.senderPort(), d.data(), describe(d.data()));
        // Only loopback peers are answered.
        if (!d.senderAddress().isLoopback())
            continue;
        m_client = d.senderAddress();
        const std::optional<Reply> r = valid_reply(d.data());
        if (r && (*r)[0] == command_marker)
            m_device.command((*r)[2]);
    }
}

void DeviceServer::send(const QByteArray& data, const QString& meaning)
{
    if (m_device.options().silent || m_client.isNull())
        return;
    m_socket.writeDatagram(data, m_client, port);
    log_datagram("out", m_client, port, data, meaning);
}
