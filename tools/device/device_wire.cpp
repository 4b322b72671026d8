#include "device_wire.h"

#include <QStringList>

namespace wire {

QByteArray status_bytes(int type, int flags)
{
    QByteArray data(4, '\0');
    data[0] = data[1] = char(quint8(type));
    data[2] = data[3] = char(quint8(flags));
    return data;
}

static QString flag_text(int flags)
{
    QStringList parts;
    parts << ((flags & flag_link_up) ? QStringLiteral("line up") : QStringLiteral("line down"));
    if (flags & flag_dialing)
        parts << QStringLiteral("dialing");
    if (flags & flag_multilink_up)
        parts << QStringLiteral("second channel up");
    return parts.join(QStringLiteral(", "));
}

QString describe(QByteArrayView datagram)
{
    if (datagram.size() < 4)
        return QStringLiteral("short datagram");
    const std::optional<Reply> r = valid_reply(datagram);
    if (!r)
        return QStringLiteral("mismatched pairs");
    const int type = (*r)[0];
    const int flags = (*r)[2];
    if (type == command_marker) {
        static const char* const names[]
            = { "command 0", "poll", "connect", "hang up", "multilink", "singlelink" };
        if (flags >= 1 && flags <= 5)
            return QString::fromLatin1(names[flags]);
        return QStringLiteral("command %1").arg(flags);
    }
    switch (type) {
    case reply_repoll:
        return QStringLiteral("repoll");
    case reply_status:
        return QStringLiteral("status 253 %1").arg(flag_text(flags));
    case reply_full_status:
        return QStringLiteral("status 254 %1, rights 0x%2")
            .arg(flag_text(flags))
            .arg(flags & 0x78, 2, 16, QLatin1Char('0'));
    default:
        return QStringLiteral("unknown type %1").arg(type);
    }
}

} // namespace wire
