#include "device_model.h"

#include "device_wire.h"

#include <QTimer>

using namespace wire;

DeviceModel::DeviceModel(const Options& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_dial(new QTimer(this))
    , m_drop(new QTimer(this))
{
    m_dial->setSingleShot(true);
    m_drop->setSingleShot(true);
    QObject::connect(m_dial, &QTimer::timeout, this, &DeviceModel::dialDone);
    QObject::connect(m_drop, &QTimer::timeout, this, &DeviceModel::dropLine);
}

int DeviceModel::flags() const
{
    int f = 0;
    if (m_line == Channel::Up)
        f |= flag_link_up;
    if (m_line == Channel::Dialing || m_second == Channel::Dialing)
        f |= flag_dialing;
    if (m_second == Channel::Up)
        f |= flag_multilink_up;
    // The rights that fit the state.
    if (m_line == Channel::Down)
        f |= right_connect | right_hang_up;
    else
        f |= right_hang_up;
    if (m_line == Channel::Up && m_second == Channel::Down)
        f |= right_multilink;
    if (m_second != Channel::Down)
        f |= right_singlelink;
    return f;
}

QByteArray DeviceModel::status(int type) const { return status_bytes(type, flags()); }

void DeviceModel::sendRaw(const QByteArray& datagram) { emit send(datagram, describe(datagram)); }

void DeviceModel::changed() { sendRaw(status(m_options.unaskedType)); }

void DeviceModel::command(int code)
{
    switch (code) {
    case cmd_poll:
        sendRaw(status(reply_full_status));
        return;
    case cmd_connect:
        if (m_line != Channel::Down)
            return;
        m_line = Channel::Dialing;
        m_dial->start(m_options.dialMs);
        break;
    case cmd_hang_up:
        if (m_line == Channel::Down)
            return;
        allDown();
        break;
    case cmd_multilink:
        if (m_line != Channel::Up || m_second != Channel::Down)
            return;
        m_second = Channel::Dialing;
        m_dial->start(m_options.dialMs);
        break;
    case cmd_singlelink:
        if (m_second == Channel::Down)
            return;
        if (m_second == Channel::Dialing)
            m_dial->stop();
        m_second = Channel::Down;
        break;
    default:
        return;
    }
    changed();
}

void DeviceModel::dialDone()
{
    const Channel result = m_options.failDial ? Channel::Down : Channel::Up;
    if (m_line == Channel::Dialing) {
        m_line = result;
        if (result == Channel::Up && m_options.dropAfterS > 0)
            m_drop->start(m_options.dropAfterS * 1000);
    } else if (m_second == Channel::Dialing) {
        m_second = result;
    } else {
        return;
    }
    changed();
}

void DeviceModel::allDown()
{
    m_line = m_second = Channel::Down;
    m_dial->stop();
    m_drop->stop();
}

void DeviceModel::dropLine()
{
    if (m_line == Channel::Down)
        return;
    allDown();
    changed();
}

void DeviceModel::restart()
{
    allDown();
    // Back from a restart the box knows no client state: it asks to be polled anew.
    sendRaw(status_bytes(reply_repoll, 0));
}
