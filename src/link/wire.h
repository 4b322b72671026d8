#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// The datagrams between client and device, UDP port 9118 at both ends.
namespace wire {

constexpr quint16 port = 9118;
constexpr qint16 command_marker = 255;

enum Command : qint16 {
    cmd_poll = 1,
    cmd_connect = 2,
    cmd_hang_up = 3,
    cmd_multilink = 4,
    cmd_singlelink = 5,
};

enum ReplyType : qint16 {
    reply_repoll = 252,
    reply_status = 253,
    reply_full_status = 254,
};

enum Flag : qint16 {
    flag_link_up = 0x01,
    flag_dialing = 0x02,
    flag_multilink_up = 0x04,
    right_connect = 0x08,
    right_hang_up = 0x10,
    right_multilink = 0x20,
    right_singlelink = 0x40,
};

// Five elements: type, type, flags, flags, and a last one that stays 0.
using Reply = std::array<qint16, 5>;

// marker, marker, code, code, 0: always five bytes.
QByteArray command_bytes(qint16 marker, qint16 code);

// The first four bytes of a datagram whose pairs agree (nothing else is checked); nothing for a
// datagram shorter than four bytes or with pairs that differ.
std::optional<Reply> valid_reply(QByteArrayView datagram);

} // namespace wire
