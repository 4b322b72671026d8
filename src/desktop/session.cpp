// One instance a session: the bus name, and Activate on its owner for a second start.

#include "desktop/session.h"

#include "desktop/control.h"
#include "desktop/names.h"
#include "desktop/notices.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdlib>

namespace {

QString from_environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QString::fromUtf8(value) : QString();
}

// How the desktop identifies this start, read before Qt connects to the display (it takes the
// startup id out of the environment then).
const QString startup_id = from_environment("DESKTOP_STARTUP_ID");
const QString activation_token = from_environment("XDG_ACTIVATION_TOKEN");

} // namespace

DesktopSession::DesktopSession(QObject* parent)
    : QObject(parent)
{
}

DesktopSession::~DesktopSession() = default;

DesktopSession::Start DesktopSession::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Start::Alone;
    const QString service = QLatin1String(bus_names::service);
    const QString path = QLatin1String(bus_names::path);
    // The owner may end between our request and our call: then the name is asked for again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_object = std::make_unique<BusObject>(bus);
        bus.registerObject(path, m_object.get(), QDBusConnection::ExportAdaptors);
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> claim
            = bus.interface()->registerService(service, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!claim.isValid() || claim.value() == QDBusConnectionInterface::ServiceRegistered) {
            // With the name, or refused it by the bus itself: the strip runs as it always did.
            m_notifier = std::make_unique<Notifier>(bus);
            return Start::Alone;
        }
        bus.unregisterObject(path);
        m_object.reset();
        QVariantMap platform_data;
        if (!startup_id.isEmpty())
            platform_data.insert(QStringLiteral("desktop-startup-id"), startup_id);
        if (!activation_token.isEmpty())
            platform_data.insert(QStringLiteral("activation-token"), activation_token);
        QDBusMessage activate = QDBusMessage::createMethodCall(
            service, path, QLatin1String(bus_names::application), QStringLiteral("Activate"));
        activate << platform_data;
        const QDBusMessage reply = bus.call(activate, QDBus::Block, 10000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return Start::Activated;
        m_error = reply.errorMessage();
        if (reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
            && reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            break;
    }
    return Start::Failed;
}

void DesktopSession::attach(Main* window)
{
    if (!m_object)
        return;
    m_object->attach(window, m_notifier.get());
    m_notifier->watch(window);
}
