#include "ctl/client_state.h"

#include "desktop/names.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <type_traits>

namespace {

// Hours unbounded, as the client's duration labels show them: 3600 -> "01:00:00".
QString clock(uint seconds)
{
    const auto two = [](uint n) { return QString::number(n).rightJustified(2, u'0'); };
    return two(seconds / 3600) + u':' + two(seconds / 60 % 60) + u':' + two(seconds % 60);
}

QString part(const QString& state, uint seconds)
{
    if (state == QLatin1String(bus_names::state_up))
        return state + u' ' + clock(seconds);
    return printable(state);
}

} // namespace

QString printable(QString text)
{
    for (QChar& c : text) {
        if (!c.isPrint())
            c = c.isSpace() ? u' ' : u'?';
    }
    return text;
}

void ClientState::apply(const QVariantMap& properties)
{
    const auto take = [&properties](const char* name, auto& field) {
        const auto it = properties.constFind(QLatin1String(name));
        if (it != properties.constEnd())
            field = it->template value<std::remove_reference_t<decltype(field)>>();
    };
    take(bus_names::line, line);
    take(bus_names::second_channel, secondChannel);
    take(bus_names::line_seconds, lineSeconds);
    take(bus_names::second_channel_seconds, secondChannelSeconds);
    take(bus_names::address, address);
    take(bus_names::can_connect, canConnect);
    take(bus_names::can_hang_up, canHangUp);
    take(bus_names::can_add_channel, canAddChannel);
    take(bus_names::can_drop_channel, canDropChannel);
}

bool ClientState::hasStatus() const
{
    return running && (canConnect || canHangUp || line != QLatin1String(bus_names::state_unknown));
}

bool ClientState::sameButDurations(const ClientState& other) const
{
    ClientState mine = *this;
    mine.lineSeconds = other.lineSeconds;
    mine.secondChannelSeconds = other.secondChannelSeconds;
    return mine == other;
}

// "up 00:12:34, second channel up 00:01:02", "dialing", "no status", "not running".
QString ClientState::text() const
{
    if (!running)
        return QStringLiteral("not running");
    if (line == QLatin1String(bus_names::state_unknown))
        return QStringLiteral("no status");
    QString text = part(line, lineSeconds);
    if (secondChannel == QLatin1String(bus_names::state_up)
        || secondChannel == QLatin1String(bus_names::state_dialing))
        text += QStringLiteral(", second channel ") + part(secondChannel, secondChannelSeconds);
    return text;
}

QString ClientState::sentence() const
{
    if (!running)
        return QStringLiteral("Tembrill Connect is not running");
    const QString device = QStringLiteral("; device ") + printable(address);
    if (line == QLatin1String(bus_names::state_unknown))
        return QStringLiteral("No status from the device yet") + device;
    return QStringLiteral("Line ") + text() + device;
}

// One object a line; "text" and "class" are what a status bar such as waybar shows and styles.
QByteArray ClientState::json() const
{
    const QString notRunning = QStringLiteral("not-running");
    const QJsonObject can { { "connect", canConnect }, { "hang_up", canHangUp },
        { "add_channel", canAddChannel }, { "drop_channel", canDropChannel } };
    const QJsonObject object { { "line", running ? line : notRunning },
        { "second_channel", running ? secondChannel : notRunning },
        { "line_seconds", qint64(lineSeconds) },
        { "second_channel_seconds", qint64(secondChannelSeconds) }, { "address", address },
        { "can", can }, { "text", text() }, { "class", running ? line : notRunning } };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
