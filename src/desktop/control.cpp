// The strip's object on the session bus: the control interface with its properties, their
// PropertiesChanged, its methods, and org.freedesktop.Application.

#include "desktop/control.h"

#include "desktop/names.h"
#include "desktop/notices.h"
#include "settings/globals.h"

#include <QDBusMessage>
#include <QTimer>

namespace {

struct MethodFacts {
    Button button;
    qint16 command;
    const char* property;
    const char* done; // why AlreadyDone
};

const MethodFacts facts[] = {
    { Button::Connect, wire::cmd_connect, bus_names::can_connect,
        "The line is already up or being dialed" },
    { Button::Connect, wire::cmd_hang_up, bus_names::can_hang_up, "The line is already down" },
    { Button::Multilink, wire::cmd_multilink, bus_names::can_add_channel,
        "The second channel is already up or being dialed" },
    { Button::Multilink, wire::cmd_singlelink, bus_names::can_drop_channel,
        "The second channel is already down" },
};

const MethodFacts& facts_of(Method method) { return facts[size_t(method)]; }

QString state_word(LampState state)
{
    static const char* const words[] = { bus_names::state_unknown, bus_names::state_down,
        bus_names::state_up, bus_names::state_dialing };
    return QString::fromLatin1(words[size_t(state)]);
}

QString reason(const char* error, Method method)
{
    if (error == bus_names::no_status)
        return QStringLiteral("The device has not answered with a full status yet");
    if (error == bus_names::not_allowed)
        return QStringLiteral("The device does not allow this now");
    return QString::fromLatin1(facts_of(method).done);
}

} // namespace

const char* refusal(Method method, const WouldSend& would)
{
    if (would.refusal == Refusal::NoStatus)
        return bus_names::no_status;
    if (would.command != facts_of(method).command)
        return bus_names::already_done;
    if (would.refusal == Refusal::NotAllowed)
        return bus_names::not_allowed;
    return nullptr;
}

BusObject::BusObject(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_flush(new QTimer(this))
{
    new ControlAdaptor(this);
    new ApplicationAdaptor(this);
    m_flush->setSingleShot(true);
    m_flush->setInterval(0);
    QObject::connect(m_flush, &QTimer::timeout, this, &BusObject::flush);
}

BusObject::~BusObject() = default;

void BusObject::attach(Main* window, Notifier* notifier)
{
    m_window = window;
    m_notifier = notifier;
    m_last = signalled();
    // Started once a turn, not restarted: a flood of changes cannot put the signal off.
    auto schedule = [this] {
        if (!m_flush->isActive())
            m_flush->start();
    };
    for (auto changed : { &Main::shown_changed, &Main::status_handled })
        QObject::connect(window, changed, this, schedule);
    // A closed strip is about to end: it comes forward no more, and every method refuses.
    QObject::connect(window, &Main::unloaded, this, [this] { m_window = nullptr; });
}

bool BusObject::can(Method method) const
{
    return m_window && !refusal(method, m_window->would_send(facts_of(method).button));
}

QVariantMap BusObject::signalled() const
{
    QVariantMap map;
    const bool shown = m_window;
    map[bus_names::line] = state_word(shown ? m_window->line_state() : LampState::NoStatus);
    map[bus_names::second_channel]
        = state_word(shown ? m_window->second_state() : LampState::NoStatus);
    map[bus_names::address] = Globals::ip_address;
    for (Method m : { Method::Connect, Method::HangUp, Method::AddChannel, Method::DropChannel })
        map[facts_of(m).property] = can(m);
    return map;
}

void BusObject::flush()
{
    const QVariantMap now = signalled();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_last.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_last = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(bus_names::path),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(bus_names::control) << changed << QStringList();
    m_bus.send(signal);
}

void BusObject::call(Method method, const QDBusMessage& message)
{
    const char* error = m_window ? refusal(method, m_window->would_send(facts_of(method).button))
                                 : bus_names::no_status;
    QString text = error ? reason(error, method) : QString();
    if (!error) {
        text = m_window->send_button(facts_of(method).button);
        if (!text.isEmpty())
            error = bus_names::send_failed;
    }
    message.setDelayedReply(true);
    m_bus.send(
        error ? message.createErrorReply(QLatin1String(error), text) : message.createReply());
    // Refused actions are said on the desktop: the launcher that asked shows nothing.
    if (error && message.member() == QLatin1String("ActivateAction") && m_notifier)
        m_notifier->notify(
            method == Method::Connect ? Notice::ConnectRefused : Notice::HangUpRefused,
            text.replace(QChar(13), QLatin1Char(' ')) + QLatin1Char('.'));
}

void BusObject::activate(const QVariantMap& platform_data)
{
    if (!m_window)
        return;
    // A Wayland compositor gives the focus to the holder of a token it issued.
    const QString token = platform_data.value(QStringLiteral("activation-token")).toString();
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    m_window->bring_forward();
    // Used when the focus was asked for; programs started later must not inherit it.
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

void BusObject::activate_action(const QString& name, const QDBusMessage& message)
{
    if (name == QLatin1String(bus_names::connect_action))
        call(Method::Connect, message);
    else if (name == QLatin1String(bus_names::hang_up_action))
        call(Method::HangUp, message);
    else {
        message.setDelayedReply(true);
        m_bus.send(message.createErrorReply(
            QDBusError::InvalidArgs, QStringLiteral("No such action: %1").arg(name.left(100))));
    }
}

ControlAdaptor::ControlAdaptor(BusObject* object)
    : QDBusAbstractAdaptor(object)
    , m_object(object)
{
}

QString ControlAdaptor::line() const
{
    return m_object->signalled().value(bus_names::line).toString();
}

QString ControlAdaptor::second_channel() const
{
    return m_object->signalled().value(bus_names::second_channel).toString();
}

uint ControlAdaptor::line_seconds() const
{
    return m_object->window() ? m_object->window()->line_seconds() : 0;
}

uint ControlAdaptor::second_channel_seconds() const
{
    return m_object->window() ? m_object->window()->second_seconds() : 0;
}

QString ControlAdaptor::address() const { return Globals::ip_address; }

ApplicationAdaptor::ApplicationAdaptor(BusObject* object)
    : QDBusAbstractAdaptor(object)
    , m_object(object)
{
}
