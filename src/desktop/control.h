#pragma once

#include "main/main_window.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QPointer>
#include <QVariantMap>

class Notifier;
class QDBusMessage;
class QTimer;

// The four methods of the control interface.
enum class Method : quint8 { Connect, HangUp, AddChannel, DropChannel };

// The error a method answers with instead of sending, given what its button would send now,
// or nullptr when it sends.
const char* refusal(Method method, const WouldSend& would);

// The strip's object on the session bus, /com/example/TembrillConnect, with the control
// interface and org.freedesktop.Application. It follows a window once one is attached;
// before that (and without one) every method refuses and nothing is shown.
class BusObject : public QObject {
    Q_OBJECT
public:
    explicit BusObject(const QDBusConnection& bus, QObject* parent = nullptr);
    ~BusObject() override;

    void attach(Main* window, Notifier* notifier);
    Main* window() const { return m_window; }

    // The properties that are signalled, by name, as the window shows them now.
    QVariantMap signalled() const;
    bool can(Method method) const;
    // Runs a method for a caller: sends, or answers with the named error.
    void call(Method method, const QDBusMessage& message);
    void activate(const QVariantMap& platform_data);
    void activate_action(const QString& name, const QDBusMessage& message);

private:
    // Sends PropertiesChanged with what differs from the last values sent: once a turn.
    void flush();

    QDBusConnection m_bus;
    QPointer<Main> m_window;
    Notifier* m_notifier = nullptr;
    QVariantMap m_last;
    QTimer* m_flush = nullptr;
};

// com.example.TembrillConnect1: the durations are read, never signalled.
class ControlAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.example.TembrillConnect1")
    Q_CLASSINFO("D-Bus Introspection",
        "  <interface name=\"com.example.TembrillConnect1\">\n"
        "    <property name=\"Line\" type=\"s\" access=\"read\"/>\n"
        "    <property name=\"SecondChannel\" type=\"s\" access=\"read\"/>\n"
        "    <property name=\"LineSeconds\" type=\"u\" access=\"read\">\n"
        "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
        "value=\"false\"/>\n"
        "    </property>\n"
        "    <property name=\"SecondChannelSeconds\" type=\"u\" access=\"read\">\n"
        "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
        "value=\"false\"/>\n"
        "    </property>\n"
        "    <property name=\"Address\" type=\"s\" access=\"read\"/>\n"
        "    <property name=\"CanConnect\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"CanHangUp\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"CanAddChannel\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"CanDropChannel\" type=\"b\" access=\"read\"/>\n"
        "    <method name=\"Connect\"/>\n"
        "    <method name=\"HangUp\"/>\n"
        "    <method name=\"AddChannel\"/>\n"
        "    <method name=\"DropChannel\"/>\n"
        "  </interface>\n")
    Q_PROPERTY(QString Line READ line)
    Q_PROPERTY(QString SecondChannel READ second_channel)
    Q_PROPERTY(uint LineSeconds READ line_seconds)
    Q_PROPERTY(uint SecondChannelSeconds READ second_channel_seconds)
    Q_PROPERTY(QString Address READ address)
    Q_PROPERTY(bool CanConnect READ can_connect)
    Q_PROPERTY(bool CanHangUp READ can_hang_up)
    Q_PROPERTY(bool CanAddChannel READ can_add_channel)
    Q_PROPERTY(bool CanDropChannel READ can_drop_channel)
public:
    explicit ControlAdaptor(BusObject* object);

    QString line() const;
    QString second_channel() const;
    uint line_seconds() const;
    uint second_channel_seconds() const;
    QString address() const;
    bool can_connect() const { return m_object->can(Method::Connect); }
    bool can_hang_up() const { return m_object->can(Method::HangUp); }
    bool can_add_channel() const { return m_object->can(Method::AddChannel); }
    bool can_drop_channel() const { return m_object->can(Method::DropChannel); }

public slots:
    void Connect(const QDBusMessage& m) { m_object->call(Method::Connect, m); }
    void HangUp(const QDBusMessage& m) { m_object->call(Method::HangUp, m); }
    void AddChannel(const QDBusMessage& m) { m_object->call(Method::AddChannel, m); }
    void DropChannel(const QDBusMessage& m) { m_object->call(Method::DropChannel, m); }

private:
    BusObject* m_object;
};

// org.freedesktop.Application: Open comes forward as Activate does (the strip opens no files);
// the actions act as the methods of the same name.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ApplicationAdaptor(BusObject* object);

public slots:
    void Activate(const QVariantMap& platform_data) { m_object->activate(platform_data); }
    void Open(const QStringList&, const QVariantMap& platform_data)
    {
        m_object->activate(platform_data);
    }
    void ActivateAction(
        const QString& name, const QVariantList&, const QVariantMap&, const QDBusMessage& m)
    {
        m_object->activate_action(name, m);
    }

private:
    BusObject* m_object;
};
