#include "fakes.h"

#include "desktop/control.h"
#include "desktop/names.h"
#include "desktop/notices.h"
#include "settings/globals.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QPushButton>
#include <QTimer>

// The strip on the session bus (run in a bus of its own): the methods' refusals, the
// coalescing of PropertiesChanged, and the judgement of notices.
class tst_desktop : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;

public slots:
    void changed(const QString&, const QVariantMap& map, const QStringList&) { changes << map; }

private slots:
    void initTestCase();
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

void tst_desktop::initTestCase() { QVERIFY(caller().isConnected()); }

void tst_desktop::methods_data()
{
    QTest::addColumn<QByteArray>("status"); // hex; empty: none
    QTest::addColumn<bool>("readdressed"); // the address changed after it
    QTest::addColumn<bool>("fails"); // the send fails
    QTest::addColumn<QString>("method"); // "action:NAME" for ActivateAction
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("sent");
    const QString up = bus_names::already_done;
    const QString no = bus_names::not_allowed;
    QTest::newRow("no status") << QByteArray() << false << false << "Connect"
                               << bus_names::no_status << QByteArray();
    QTest::newRow("no full status") << QByteArray("fdfd1818") << false << false << "Connect"
                                    << bus_names::no_status << QByteArray();
    QTest::newRow("new address") << QByteArray("fefe1818") << true << false << "HangUp"
                                 << bus_names::no_status << QByteArray();
    QTest::newRow("connect") << QByteArray("fefe1818") << false << false << "Connect"
                             << "" << QByteArray("ffff020200");
    QTest::newRow("connect, line up")
        << QByteArray("fefe1919") << false << false << "Connect" << up << QByteArray();
    QTest::newRow("connect, dialing")
        << QByteArray("fefe1a1a") << false << false << "Connect" << up << QByteArray();
    QTest::newRow("connect, no right")
        << QByteArray("fefe1010") << false << false << "Connect" << no << QByteArray();
    QTest::newRow("hang up") << QByteArray("fefe1111") << false << false << "HangUp"
                             << "" << QByteArray("ffff030300");
    QTest::newRow("hang up, dialing") << QByteArray("fefe1212") << false << false << "HangUp"
                                      << "" << QByteArray("ffff030300");
    QTest::newRow("hang up, line down")
        << QByteArray("fefe1818") << false << false << "HangUp" << up << QByteArray();
    QTest::newRow("hang up, no right")
        << QByteArray("fefe0909") << false << false << "HangUp" << no << QByteArray();
    QTest::newRow("add") << QByteArray("fefe2121") << false << false << "AddChannel"
                         << "" << QByteArray("ffff040400");
    QTest::newRow("add, channel up")
        << QByteArray("fefe4545") << false << false << "AddChannel" << up << QByteArray();
    QTest::newRow("add, no right")
        << QByteArray("fefe0101") << false << false << "AddChannel" << no << QByteArray();
    QTest::newRow("drop") << QByteArray("fefe4545") << false << false << "DropChannel"
                          << "" << QByteArray("ffff050500");
    QTest::newRow("drop, second dialing")
        << QByteArray("fefe4343") << false << false << "DropChannel"
        << "" << QByteArray("ffff050500");
    QTest::newRow("drop, channel down")
        << QByteArray("fefe6161") << false << false << "DropChannel" << up << QByteArray();
    QTest::newRow("drop, no right")
        << QByteArray("fefe0505") << false << false << "DropChannel" << no << QByteArray();
    QTest::newRow("send fails") << QByteArray("fefe1818") << false << true << "Connect"
                                << bus_names::send_failed << QByteArray();
    QTest::newRow("action connect") << QByteArray("fefe1818") << false << false << "action:connect"
                                    << "" << QByteArray("ffff020200");
    QTest::newRow("action hang-up")
        << QByteArray("fefe1818") << false << false << "action:hang-up" << up << QByteArray();
    QTest::newRow("action unknown") << QByteArray("fefe1818") << false << false << "action:dial"
                                    << "org.freedesktop.DBus.Error.InvalidArgs" << QByteArray();
}

void tst_desktop::methods()
{
    QFETCH(QByteArray, status);
    QFETCH(bool, readdressed);
    QFETCH(bool, fails);
    QFETCH(QString, method);
    QFETCH(QString, error);
    QFETCH(QByteArray, sent);
    Rig rig;
    rig.settings.answer = [] {
        Globals::ip_address = "127.0.0.9";
        return true;
    };
    BusObject object(QDBusConnection::sessionBus());
    object.attach(&*rig.main, nullptr);
    QVERIFY(QDBusConnection::sessionBus().registerObject(
        bus_names::path, &object, QDBusConnection::ExportAdaptors));
    if (!status.isEmpty())
        rig.socket.deliver(status);
    if (readdressed)
        rig.main->CallOption->click();
    if (fails)
        rig.socket.fail = SocketError { 10065, "No route to host" };
    rig.socket.sent.clear();
    const QVariantMap before = object.signalled();
    const QDBusMessage reply = method.startsWith("action:")
        ? through_bus(bus_names::application, "ActivateAction",
            { method.mid(7), QVariantList(), QVariantMap() })
        : through_bus(bus_names::control, method, {});
    QCOMPARE(reply.errorName(), error);
    QCOMPARE(rig.socket.sent.value(0).toHex(), sent);
    QCOMPARE(rig.socket.sent.size(), sent.isEmpty() ? 0 : 1);
    QVERIFY(rig.boxes.shown.isEmpty());
    if (fails)
        QCOMPARE(reply.errorMessage(), "Error sending data:\r 10065: No route to host");
    // What Can* said before the call: true exactly when it was going to send.
    const QString can = method == "HangUp" ? bus_names::can_hang_up
        : method == "AddChannel"           ? bus_names::can_add_channel
        : method == "DropChannel"          ? bus_names::can_drop_channel
                                           : bus_names::can_connect;
    if (!method.startsWith("action:"))
        QCOMPARE(before.value(can).toBool(), error.isEmpty() || fails);
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
    auto settle = [] { // a round trip: what was signalled before it has arrived
        through_bus("org.freedesktop.DBus.Peer", "Ping", {});
    };
    // Three statuses in one turn: one signal with where they ended.
    for (const char* status : { "fefe1818", "fefe1a1a", "fefe1919" })
        rig.socket.deliver(status);
    QTRY_COMPARE(changes.size(), 1);
    settle();
    QCOMPARE(changes.size(), 1);
    const QVariantMap up { { "Line", "up" }, { "SecondChannel", "down" }, { "CanHangUp", true } };
    QCOMPARE(changes.value(0), up);
    // The same again, a count going on, or a change undone within the turn: nothing.
    rig.socket.deliver("fefe1919");
    rig.clock.t.seconds += 5;
    QMetaObject::invokeMethod(rig.main->Timer3, "timeout");
    rig.socket.deliver("fefe1818");
    rig.socket.deliver("fefe1919");
    settle();
    QCOMPARE(changes.size(), 1);
    // The rights alone.
    rig.socket.deliver("fefe0909");
    QTRY_COMPARE(changes.size(), 2);
    QCOMPARE(changes.value(1), QVariantMap({ { "CanHangUp", false } }));
    QDBusConnection::sessionBus().unregisterObject(bus_names::path);
}

void tst_desktop::notices_data()
{
    // Each step: "LINE SECOND" states of a status, "sent COMMAND" or "forget".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("first status") << QStringList { "up up" } << QStringList {};
    QTest::newRow("device drops the line") << QStringList { "down down", "dialing down", "up down",
        "down down" } << QStringList { "LineDropped" };
    QTest::newRow("user hangs up")
        << QStringList { "up down", "sent hang-up", "down down" } << QStringList {};
    QTest::newRow("both at once") << QStringList { "up up", "down down" }
                                  << QStringList { "LineAndSecondDropped" };
    QTest::newRow("line redials") << QStringList { "up down", "dialing down" }
                                  << QStringList { "LineDropped" };
    QTest::newRow("call fails") << QStringList { "down down", "dialing down", "down down" }
                                << QStringList { "CallFailed" };
    QTest::newRow("call hung up") << QStringList { "down down", "dialing down", "sent hang-up",
        "down down" } << QStringList {};
    QTest::newRow("hung up before the call began") << QStringList { "down down", "sent hang-up",
        "dialing down", "up down", "down down" } << QStringList { "LineDropped" };
    QTest::newRow("second channel drops")
        << QStringList { "up up", "up down" } << QStringList { "SecondDropped" };
    QTest::newRow("singlelink") << QStringList { "up up", "sent singlelink", "up down" }
                                << QStringList {};
    QTest::newRow("singlelink, then the line drops")
        << QStringList { "up up", "sent singlelink", "down down" } << QStringList { "LineDropped" };
    QTest::newRow("second call fails")
        << QStringList { "up down", "up dialing", "up down" } << QStringList { "SecondCallFailed" };
    QTest::newRow("singlelink before the second call") << QStringList { "up down",
        "sent singlelink", "up dialing", "up down" } << QStringList { "SecondCallFailed" };
    QTest::newRow("new address") << QStringList { "up up", "forget", "down down" }
                                 << QStringList {};
    QTest::newRow("poll") << QStringList { "up down", "sent poll", "down down" }
                          << QStringList { "LineDropped" };
}

void tst_desktop::notices()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, notices);
    const QStringList states { "unknown", "down", "up", "dialing" };
    const QMap<QString, qint16> commands { { "hang-up", wire::cmd_hang_up },
        { "singlelink", wire::cmd_singlelink }, { "poll", wire::cmd_poll } };
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
