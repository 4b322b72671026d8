#include "link/wire.h"

namespace wire {

QByteArray command_bytes(qint16 marker, qint16 code)
{
    QByteArray data(5, '\0');
    data[0] = char(quint8(marker));
    data[1] = char(quint8(marker));
    data[2] = char(quint8(code));
    data[3] = char(quint8(code));
    return data;
}

std::optional<Reply> valid_reply(QByteArrayView datagram)
{
    if (datagram.size() < 4)
        return std::nullopt;
    Reply reply {};
    for (int i = 0; i < 4; ++i)
        reply[size_t(i)] = qint16(quint8(datagram[i]));
    if (reply[0] != reply[1] || reply[2] != reply[3])
        return std::nullopt;
    return reply;
}

} // namespace wire
