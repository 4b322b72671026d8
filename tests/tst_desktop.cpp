#include "fakes.h"

#include "desktop/control.h"
#include "desktop/names.h"
#include "desktop/notices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QTimer>

// The strip on a session bus of its own: its methods, its PropertiesChanged, its notices.
class tst_desktop : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;

public slots:
    void changed(const QString&, const QVariantMap& map, const QStringList&) { changes << map; }

private slots:
    void methods_data();
    void methods();
    void properties_changed();
    void notices_data();
    void notices();
};

namespace {

// A second connection plays the caller: through the bus, as another program would call.
QDBusConnection caller()
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "caller");
}

// A call through the bus, waited for while this process serves it.
QDBusMessage through_bus(const QString& interface, const QString& member, const QVariantList& args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(
        QDBusConnection::sessionBus().baseService(), bus_names::path, interface, member);
    m.setArguments(args);
    QDBusPendingCall call = caller().asyncCall(m);
    [&] { QTRY_VERIFY(call.isFinished()); }();
    return call.reply();
}

} // namespace

void tst_desktop::methods_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QString>("method"); // "action:NAME" for ActivateAction
    QTest::addColumn<QString>("error"); // SendFailed: the socket fails
    QTest::addColumn<QByteArray>("sent");
    const char* done = bus_names::already_done;
    const char* no = bus_names::not_allowed;
    const char* none = bus_names::no_status; // until the first full status, as at start
    auto row = [](const char* name, const char* status, const char* method, const char* error,
                   const char* sent) {
        QTest::newRow(name) << QByteArray(status) << QString(method) << QString(error)
                            << QByteArray(sent);
    };
    row("no full status", "fdfd1818", "Connect", none, "");
    row("connect, up", "fefe1919", "Connect", done, "");
    row("connect, no right", "fefe1010", "Connect", no, "");
    row("hang up", "fefe1111", "HangUp", "", "ffff030300");
    row("add", "fefe2121", "AddChannel", "", "ffff040400");
    row("drop", "fefe4545", "DropChannel", "", "ffff050500");
    row("send fails", "fefe1818", "Connect", bus_names::send_failed, "");
    row("action connect", "fefe1818", "action:connect", "", "ffff020200");
    row("action unknown", "fefe1818", "action:dial", "org.freedesktop.DBus.Error.InvalidArgs", "");
}

void tst_desktop::methods()
{
    QFETCH(QByteArray, status);
    QFETCH(QString, method);
    QFETCH(QString, error);
    QFETCH(QByteArray, sent);
    Rig rig;
    BusObject object(QDBusConnection::sessionBus());
    object.attach(&*rig.main, nullptr);
    QVERIFY(QDBusConnection::sessionBus().registerObject(
        bus_names::path, &object, QDBusConnection::ExportAdaptors));
    rig.socket.deliver(status);
    const bool fail = error == bus_names::send_failed;
    if (fail)
        rig.socket.fail = SocketError { 10065, "No route to host" };
    rig.socket.sent.clear();
    const QVariantMap before = object.signalled();
    const bool action = method.startsWith("action:");
    const QDBusMessage reply = action ? through_bus(bus_names::application, "ActivateAction",
                                   { method.mid(7), QVariantList(), QVariantMap() })
                                      : through_bus(bus_names::control, method, {});
    QCOMPARE(reply.errorName(), error);
    QCOMPARE(rig.socket.sent.join().toHex(), sent);
    QVERIFY(rig.boxes.shown.isEmpty());
    if (fail)
        QCOMPARE(reply.errorMessage(), "Error sending data:\r 10065: No route to host");
    // Can* said before the call whether it would send.
    if (!action)
        QCOMPARE(before.value("Can" + method).toBool(), error.isEmpty() || fail);
    QDBusConnection::sessionBus().unregisterObject(bus_names::path);
}

void tst_desktop::properties_changed()
{
    Rig rig;
    BusObject object(QDBusConnection::sessionBus());
    object.attach(&*rig.main, nullptr);
    QDBusConnection::sessionBus().registerObject(
        bus_names::path, &object, QDBusConnection::ExportAdaptors);
    QVERIFY(caller().connect(QString(), bus_names::path, "org.freedesktop.DBus.Properties",
        "PropertiesChanged", this, SLOT(changed(QString, QVariantMap, QStringList))));
    // Three statuses in one turn: one signal with where they ended.
    for (const char* status : { "fefe1818", "fefe1a1a", "fefe1919" })
        rig.socket.deliver(status);
    QTRY_COMPARE(changes.size(), 1);
    const QVariantMap up { { "Line", "up" }, { "SecondChannel", "down" }, { "CanHangUp", true } };
    QCOMPARE(changes.value(0), up);
    // The same again, or a count going on: nothing, as a round trip after them shows.
    rig.socket.deliver("fefe1919");
    rig.clock.t.seconds += 5;
    QMetaObject::invokeMethod(rig.main->Timer3, "timeout");
    through_bus("org.freedesktop.DBus.Properties", "Get", { bus_names::control, "Line" });
    QCOMPARE(changes.size(), 1);
    // A new address forgets the status: said once shown, before any status comes.
    rig.main->reset_constat();
    QMetaObject::invokeMethod(rig.main->Timer1, "timeout");
    QTRY_COMPARE(changes.size(), 2);
    const QVariantMap gone { { "Line", "unknown" }, { "SecondChannel", "unknown" },
        { "CanHangUp", false } };
    QCOMPARE(changes.value(1), gone);
    QDBusConnection::sessionBus().unregisterObject(bus_names::path);
}

void tst_desktop::notices_data()
{
    // Each step: "LINE SECOND" states of a status, "sent COMMAND" or "forget".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("notices");
    auto row = [](const char* name, const QStringList& steps, const QStringList& notices) {
        QTest::newRow(name) << steps << notices;
    };
    row("both at once", { "up up", "down down" }, { "LineAndSecondDropped" });
    row("call fails, hung up before", { "down down", "sent hang-up", "dialing down", "down down" },
        { "CallFailed" });
    row("second drops", { "up up", "up down" }, { "SecondDropped" });
    row("singlelink", { "up up", "sent singlelink", "up down", "down down" }, { "LineDropped" });
    row("second call fails", { "up down", "up dialing", "up down" }, { "SecondCallFailed" });
    row("new address", { "up up", "forget", "down down" }, {});
}

void tst_desktop::notices()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, notices);
    const QStringList states { "unknown", "down", "up", "dialing" };
    const QMap<QString, qint16> commands { { "hang-up", wire::cmd_hang_up },
        { "singlelink", wire::cmd_singlelink } };
    const QStringList names { "None", "LineDropped", "LineAndSecondDropped", "CallFailed",
        "SecondDropped", "SecondCallFailed" };
    NoticeJudge judge;
    QStringList said;
    for (const QString& step : steps) {
        const QStringList w = step.split(' ');
        if (w[0] == "sent")
            judge.sent(commands.value(w[1]));
        else if (w[0] == "forget")
            judge.forget();
        else if (Notice n
                 = judge.status(LampState(states.indexOf(w[0])), LampState(states.indexOf(w[1])));
                 n != Notice::None)
            said << names.value(int(n));
    }
    QCOMPARE(said, notices);
}

QTEST_MAIN(tst_desktop)
#include "tst_desktop.moc"
