#pragma once

#include "ctl/client_state.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

// The running client as the tool sees it on the session bus: calls to it, and what it shows,
// kept up to date from its PropertiesChanged and from the bus's word when it starts or ends.
class Client : public QObject {
    Q_OBJECT
public:
    explicit Client(const QDBusConnection& bus);

    // A call to the client, which is never started by the bus for it.
    QDBusMessage call(const char* interface, const char* method, const QVariantList& args = {});
    // Reads what the client shows; not running when it does not answer (the reply says why).
    ClientState read(QDBusMessage* reply = nullptr);
    // Follows the client's changes, its start and its end, and reads what it shows now. Called
    // once.
    void watch();
    const ClientState& state() const { return m_state; }

signals:
    // What the client shows changed in more than its durations, or it started or ended.
    void changed();

private slots:
    void propertiesChanged(
        const QString& interface, const QVariantMap& values, const QStringList& invalidated);

private:
    static constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";
    static QString controlInterface();
    void update(const ClientState& next);

    QDBusConnection m_bus;
    ClientState m_state;
};
