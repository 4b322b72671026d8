#include "ctl/client.h"

#include "desktop/names.h"

#include <QDBusArgument>
#include <QDBusServiceWatcher>

namespace {

// Long enough for a busy client, short enough that a hung one does not stop a script for long.
constexpr int call_timeout_ms = 10000;

} // namespace

Client::Client(const QDBusConnection& bus)
    : m_bus(bus)
{
}

QString Client::controlInterface() { return QString::fromLatin1(bus_names::control); }

QDBusMessage Client::call(const char* interface, const char* method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(bus_names::service),
        QString::fromLatin1(bus_names::path), QString::fromLatin1(interface),
        QString::fromLatin1(method));
    message.setArguments(args);
    message.setAutoStartService(false);
    return m_bus.call(message, QDBus::Block, call_timeout_ms);
}

void Client::watch()
{
    // Subscribed before reading, so that no change falls between the two.
    m_bus.connect(QString::fromLatin1(bus_names::service), QString::fromLatin1(bus_names::path),
        QString::fromLatin1(propertiesInterface), QStringLiteral("PropertiesChanged"), this,
        SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    auto* owner = new QDBusServiceWatcher(QString::fromLatin1(bus_names::service), m_bus,
        QDBusServiceWatcher::WatchForOwnerChange, this);
    QObject::connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& newOwner) {
            update(newOwner.isEmpty() ? ClientState() : read());
        });
    update(read());
}

ClientState Client::read(QDBusMessage* reply)
{
    ClientState state;
    const QDBusMessage answer = call(propertiesInterface, "GetAll", { controlInterface() });
    if (answer.type() == QDBusMessage::ReplyMessage) {
        state.running = true;
        state.apply(qdbus_cast<QVariantMap>(answer.arguments().value(0)));
    }
    if (reply)
        *reply = answer;
    return state;
}

void Client::update(const ClientState& next)
{
    const bool same = next.sameButDurations(m_state);
    m_state = next;
    if (!same)
        emit changed();
}

void Client::propertiesChanged(
    const QString& interface, const QVariantMap& values, const QStringList& invalidated)
{
    if (interface != controlInterface() || !m_state.running)
        return;
    if (!invalidated.isEmpty()) {
        update(read());
        return;
    }
    ClientState next = m_state;
    next.apply(values);
    if (next.sameButDurations(m_state))
        return;
    // The durations change without a signal: the line printed for this change shows them now.
    const ClientState now = read();
    if (!now.running) {
        update(next);
        return;
    }
    next.lineSeconds = now.lineSeconds;
    next.secondChannelSeconds = now.secondChannelSeconds;
    update(next);
    // Qt may hand on two signals that come close together in the other order; what the client
    // shows now comes last, so that a late signal leaves no stale state behind.
    update(now);
}
