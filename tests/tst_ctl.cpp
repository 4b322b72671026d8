// tembrill-connect-ctl against a fake client on the test's own session bus (dbus-run-session):
// each case sets what it shows and answers, and it records what it was asked.

#include "desktop/names.h"

#include <QSignalSpy>
#include <QTest>
#include <QtDBus>

namespace {

struct FakeClient : QDBusVirtualObject {
    QVariantMap properties;
    QStringList after; // the states of Line announced one by one after a method succeeded
    QString error; // every method's answer when set
    QStringList calls;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        const QString member = call.interface().section('.', -1) + '.' + call.member();
        const QVariantList a = call.arguments();
        QDBusMessage reply = call.createReply();
        if (member == "Properties.GetAll") {
            reply << properties;
        } else if (member == "Notifications.Notify") {
            const QVariantMap hints = qdbus_cast<QVariantMap>(a[6]);
            calls << QStringList { a[0].toString(), a[2].toString(), a[3].toString(),
                a[4].toString(), hints["desktop-entry"].toString() }
                         .join('|');
        } else {
            calls << member;
            if (!error.isEmpty())
                reply = call.createErrorReply(error, "refused:\x1b\r" + error.section('.', -1));
        }
        bus.send(reply);
        if (reply.type() == QDBusMessage::ReplyMessage && member != "Properties.GetAll")
            for (const QString& line : std::exchange(after, {}))
                change({ { "Line", line } });
        return true;
    }
    void change(const QVariantMap& values)
    {
        properties.insert(values);
        QDBusMessage signal = QDBusMessage::createSignal(
            bus_names::path, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString(bus_names::control) << values << QStringList();
        QDBusConnection::sessionBus().send(signal);
    }
};

QVariantMap shown(const QString& line)
{
    return { { "Line", line }, { "SecondChannel", "up" }, { "LineSeconds", 3725U },
        { "SecondChannelSeconds", 61U }, { "Address", "127.0.0.2" },
        { "CanConnect", line == "dialing" }, { "CanHangUp", true }, { "CanAddChannel", true },
        { "CanDropChannel", line == "dialing" } }; // every right read where --json shows them
}

} // namespace

class tst_ctl : public QObject {
    Q_OBJECT
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeClient fake;
private slots:
    void initTestCase();
    void tool_data();
    void tool();
    void watch();
};

void tst_ctl::initTestCase()
{
    QVERIFY(bus.registerVirtualObject(bus_names::path, &fake));
    QVERIFY(bus.registerVirtualObject("/org/freedesktop/Notifications", &fake));
    QVERIFY(bus.registerService("org.freedesktop.Notifications"));
}

void tst_ctl::tool_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("lines"); // Line, then after a method; none: no client
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out"); // the first line
    QTest::addColumn<QString>("err"); // a part
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("error"); // the methods' answer
    const auto row = [](const char* name, const QStringList& args, const QStringList& lines,
                         int status, const QByteArray& out, const QString& err,
                         const QStringList& calls = {}, const QString& error = {}) {
        QTest::newRow(name) << args << lines << status << out << err << calls << error;
    };
    const QStringList up { "up" };
    const QStringList wait { "connect", "--wait" };
    const QStringList connect { "TembrillConnect1.Connect" };
    row("help", { "connect", "--help" }, {}, 0, "Usage: tembrill-connect-ctl [OPTION]... COMMAND",
        {});
    row("status", { "status" }, up, 0,
        "Line up 01:02:05, second channel up 00:01:01; device 127.0.0.2", {});
    row("status --json", { "--json", "status" }, { "dialing" }, 0,
        R"({"address":"127.0.0.2","can":{"add_channel":true,"connect":true,)"
        R"("drop_channel":true,"hang_up":true},"class":"dialing","line":"dialing",)"
        R"("line_seconds":3725,"second_channel":"up","second_channel_seconds":61,)"
        R"("text":"dialing, second channel up 00:01:01"})",
        {});
    row("status, no client", { "status" }, {}, 2, {},
        "Tembrill Connect is not running: start it from the desktop menu");
    row("no session bus", { "watch" }, { "no bus" }, 2, {}, "no session bus");
    row("hang-up", { "hang-up" }, up, 0, {}, {}, { "TembrillConnect1.HangUp" });
    row("add-channel", { "add-channel" }, up, 0, {}, {}, { "TembrillConnect1.AddChannel" });
    row("drop-channel", { "drop-channel" }, up, 0, {}, {}, { "TembrillConnect1.DropChannel" });
    row("activate", { "activate" }, up, 0, {}, {}, { "Application.Activate" });
    // From a desktop action, a refusal is also notified.
    row("menu, refused", { "--from-menu", "connect" }, up, 1, {}, "AlreadyDone",
        { "TembrillConnect1.Connect",
            "Tembrill Connect|com.example.TembrillConnect|Could not connect|refused:? AlreadyDone|"
            "com.example.TembrillConnect" },
        bus_names::already_done);
    row("wait, call failed", wait, { "down", "down", "dialing", "down" }, 1, {},
        "Could not connect: the call ended without the line up", connect);
    row("wait, up after a down", wait, { "down", "down", "dialing", "up" }, 0, {}, {}, connect);
    row("wait, already up", { "connect", "--wait", "--timeout=86400" }, up, 0, {}, {}, connect,
        bus_names::already_done);
    row("wait, not allowed", wait, { "down" }, 1, {}, "refused:? NotAllowed", connect,
        bus_names::not_allowed);
    row("wait, timed out", { "connect", "--wait", "--timeout=1" }, { "down", "dialing" }, 75, {},
        "Could not connect: the line is not up after 1 seconds", connect);
    for (const QStringList& args : { QStringList { "dial" }, { "status", "watch" },
             { "connect", "--json" }, { "status", "--wait" }, { "connect", "--timeout=5" },
             { "connect", "--wait", "--timeout=0" }, { "--from-menu", "status" } })
        row(qPrintable("usage: " + args.join(' ')), args, up, 64, {},
            "Try 'tembrill-connect-ctl --help'.");
}

void tst_ctl::tool()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, error);
    fake.properties = shown(lines.value(0));
    fake.after = lines.mid(1);
    fake.error = error;
    fake.calls.clear();
    if (lines.isEmpty())
        bus.unregisterService(bus_names::service);
    else
        QVERIFY(bus.registerService(bus_names::service));
    QFETCH(QStringList, args);
    QProcess tool;
    QSignalSpy finished(&tool, &QProcess::finished);
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (lines == QStringList { "no bus" })
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    tool.start(CTL, args); // it takes the environment as it is now
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QVERIFY(finished.wait(30000));
    QTEST(tool.exitCode(), "status");
    QTEST(tool.readAllStandardOutput().split('\n').value(0), "out");
    QFETCH(QString, err);
    const QString said = tool.readAllStandardError();
    QVERIFY2(said.contains(err), qPrintable(said));
    QTEST(fake.calls, "calls");
}

// One line at first, then one a change: none for an identical PropertiesChanged nor a flood
// of them, one for a change of rights alone, and "not-running" while no client runs.
void tst_ctl::watch()
{
    fake.properties = shown("down");
    QVERIFY(bus.registerService(bus_names::service));
    QProcess tool;
    tool.start(CTL, { "watch", "--json" });
    const auto next = [&tool](const char* part) {
        QTRY_VERIFY(tool.canReadLine());
        const QByteArray line = tool.readLine();
        QVERIFY2(line.contains(part), line);
    };
    next(R"("text":"down, second channel up 00:01:01")");
    for (int i = 0; i < 1000; ++i)
        fake.change({ { "Line", "down" }, { "CanConnect", false } });
    fake.properties["LineSeconds"] = 7U;
    fake.change({ { "Line", "up" } });
    next(R"("text":"up 00:00:07, second channel up 00:01:01")");
    fake.change({ { "CanAddChannel", false } });
    next(R"("add_channel":false)");
    bus.unregisterService(bus_names::service);
    next(R"("line":"not-running")");
    tool.kill();
    tool.waitForFinished();
}

QTEST_GUILESS_MAIN(tst_ctl)
#include "tst_ctl.moc"
