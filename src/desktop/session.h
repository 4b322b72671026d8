#pragma once

#include <QObject>
#include <QString>

#include <memory>

class BusObject;
class Main;
class Notifier;

// The strip's place in the desktop session: one instance a session, owning the bus name, with
// its object on the bus and its notices. Without a session bus it does nothing.
class DesktopSession : public QObject {
    Q_OBJECT
public:
    explicit DesktopSession(QObject* parent = nullptr);
    ~DesktopSession() override;

    enum class Start : quint8 {
        Alone, // this process has the name (or there is no bus): it shows the strip
        Activated, // another instance has it and has been asked to come forward
        Failed, // another instance has it and did not answer; `error` says why
    };
    // Registers the object, then asks for the name without queueing. A start that does not
    // get it asks the owner to come forward, with this start's startup id or activation token.
    Start start();
    QString error() const { return m_error; }
    // The window the object and the notices follow.
    void attach(Main* window);

private:
    std::unique_ptr<BusObject> m_object;
    std::unique_ptr<Notifier> m_notifier;
    QString m_error;
};
