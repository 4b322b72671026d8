// tembrill-connect-ctl: reads and drives the running Tembrill Connect client over the session
// bus, for scripts, status bars and the desktop entry's actions. It never talks to the device:
// the client holds the port.

#include "ctl/client.h"
#include "desktop/names.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <optional>

namespace {

enum Exit { done = 0, refused = 1, unavailable = 2, usage_error = 64, timed_out = 75 };

constexpr char usage[] = R"(Usage: tembrill-connect-ctl [OPTION]... COMMAND
Reads and drives the running Tembrill Connect client over the session bus.

Commands:
  status        print the line's state in one line
  watch         print it, then one line at each change; waits while no client runs
  connect       bring the line up (the Connect button)
  hang-up       bring the line down (the Hang up button)
  add-channel   add the second channel (the Multilink button)
  drop-channel  drop the second channel (the Singlelink button)
  activate      bring the client's window forward

Options:
  --json             with status and watch: one JSON object a line
  --wait             with connect: wait until the line is up
  --timeout=SECONDS  how long --wait waits, 1 to 86400 (default 60)
  --from-menu        with connect, hang-up, add-channel and drop-channel: when no client runs,
                     start it as the desktop menu does and wait up to 10 seconds for its first
                     status; a failure is also shown as a desktop notification
  -h, --help         print this help and end

Exit status: 0 done, 1 the client refused or the call failed (the reason on stderr), 2 no
client runs or no session bus, 64 a usage error, 75 --wait timed out.
)";

// The buttons' commands: the command's name, the client's method, what a failure says.
struct Action {
    const char* command;
    const char* method;
    const char* failure;
};
constexpr Action actions[] = {
    { bus_names::connect_action, bus_names::connect_method, "Could not connect" },
    { bus_names::hang_up_action, bus_names::hang_up_method, "Could not hang up" },
    { "add-channel", bus_names::add_channel_method, "Could not add the second channel" },
    { "drop-channel", bus_names::drop_channel_method, "Could not drop the second channel" },
};

struct Options {
    QString command;
    const Action* action = nullptr;
    bool help = false;
    bool json = false;
    bool wait = false;
    bool fromMenu = false;
    std::optional<int> timeout;
};

// Reads the arguments into the options; the text says what is wrong with them.
QString parse(const QStringList& args, Options& o)
{
    for (const QString& arg : args) {
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
            o.help = true;
        else if (arg == QLatin1String("--json"))
            o.json = true;
        else if (arg == QLatin1String("--wait"))
            o.wait = true;
        else if (arg == QLatin1String("--from-menu"))
            o.fromMenu = true;
        else if (arg.startsWith(QLatin1String("--timeout="))) {
            bool ok = false;
            o.timeout = arg.mid(10).toInt(&ok);
            if (!ok || *o.timeout < 1 || *o.timeout > 86400)
                return QStringLiteral("--timeout takes a whole number of seconds, 1 to 86400");
        } else if (arg.startsWith(u'-'))
            return QStringLiteral("unknown option ") + arg;
        else if (!o.command.isEmpty())
            return QStringLiteral("one command at a time: ") + o.command + u' ' + arg;
        else
            o.command = arg;
    }
    for (const Action& action : actions) {
        if (o.command == QLatin1String(action.command))
            o.action = &action;
    }
    const QString& c = o.command;
    if (c.isEmpty())
        return QStringLiteral("no command given");
    if (!o.action && c != QLatin1String("status") && c != QLatin1String("watch")
        && c != QLatin1String("activate"))
        return QStringLiteral("unknown command ") + c;
    if (o.json && c != QLatin1String("status") && c != QLatin1String("watch"))
        return QStringLiteral("--json goes with status and watch");
    if (o.wait && c != QLatin1String(bus_names::connect_action))
        return QStringLiteral("--wait goes with connect");
    if (o.timeout && !o.wait)
        return QStringLiteral("--timeout goes with --wait");
    if (o.fromMenu && !o.action)
        return QStringLiteral("--from-menu goes with connect, hang-up, add-channel, drop-channel");
    return {};
}

void print(FILE* to, const QString& text)
{
    std::fputs(qUtf8Printable(text + u'\n'), to);
    std::fflush(to);
}

const QString not_running_hint
    = QStringLiteral("Tembrill Connect is not running: start it from the desktop menu or with "
                     "tembrill-connect-menu, or give --from-menu");

// Says why the tool gives up, on stderr, and from a desktop action also as a notification.
struct Reporter {
    QDBusConnection bus;
    QString failure;
    bool notify = false;

    int fail(int status, const QString& reason) const;
    int fail(const QDBusMessage& reply) const;
};

int Reporter::fail(int status, const QString& reason) const
{
    print(
        stderr, QStringLiteral("tembrill-connect-ctl: ") + failure + QStringLiteral(": ") + reason);
    if (!notify)
        return status;
    QDBusMessage message
        = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString entry = QString::fromLatin1(bus_names::service);
    message << QStringLiteral("Tembrill Connect") << 0U << entry << failure << reason
            << QStringList() << QVariantMap { { QStringLiteral("desktop-entry"), entry } } << -1;
    // Without a notification service the word stays on stderr; the tool never waits long.
    const QDBusMessage reply = bus.call(message, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        print(stderr,
            QStringLiteral("tembrill-connect-ctl: no notification: ") + reply.errorMessage());
    return status;
}

// The exit status for an error answer: no client (or one that does not answer) is 2; any
// other error is the client's refusal, 1, with its reason.
int Reporter::fail(const QDBusMessage& reply) const
{
    // Qt answers NameHasNoOwner itself when it knows the name has none.
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return fail(unavailable, not_running_hint);
    switch (QDBusError(reply).type()) {
    case QDBusError::ServiceUnknown:
        return fail(unavailable, not_running_hint);
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
    case QDBusError::Disconnected:
        return fail(unavailable, QStringLiteral("Tembrill Connect does not answer"));
    default:
        return fail(refused,
            printable(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()));
    }
}

// Runs a loop until judge gives a status; judge is asked now and at each change.
int until(Client& client, int seconds, const std::function<std::optional<int>()>& judge,
    const std::function<int()>& onTimeout)
{
    std::optional<int> status = judge();
    if (status)
        return *status;
    QEventLoop loop;
    QObject::connect(&client, &Client::changed, &loop, [&] {
        if (!status && (status = judge()))
            loop.exit(*status);
    });
    QTimer::singleShot(seconds * 1000, &loop, [&] {
        if (!status)
            loop.exit(*(status = onTimeout()));
    });
    return loop.exec();
}

// From a desktop action: a client not running is started through the menu's launcher (so
// remote.inf comes from the menu's folder), and its first full status awaited.
int awaitStatus(Client& client, const Reporter& reporter)
{
    const QString name = QStringLiteral("tembrill-connect-menu");
    QString launcher = QCoreApplication::applicationDirPath() + u'/' + name;
    if (!QFileInfo(launcher).isExecutable())
        launcher = QStandardPaths::findExecutable(name);
    if (!client.state().running) {
        QProcess process;
        process.setProgram(launcher);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        if (launcher.isEmpty() || !process.startDetached())
            return reporter.fail(unavailable, QStringLiteral("cannot start ") + name);
    }
    const auto judge = [&]() -> std::optional<int> {
        if (client.state().hasStatus())
            return done;
        return std::nullopt;
    };
    return until(client, 10, judge, [&] {
        if (!client.state().running)
            return reporter.fail(unavailable, QStringLiteral("Tembrill Connect did not start"));
        return reporter.fail(refused,
            QStringLiteral("no status came from the device at ") + client.state().address
                + QStringLiteral(" within 10 seconds"));
    });
}

// connect --wait: up is done; down after dialing is a failed call; the timeout ends the wait.
int awaitLine(Client& client, const Reporter& reporter, int seconds)
{
    bool dialing = false;
    const auto judge = [&]() -> std::optional<int> {
        const ClientState& state = client.state();
        if (!state.running)
            return reporter.fail(unavailable, QStringLiteral("Tembrill Connect ended"));
        if (state.line == QLatin1String(bus_names::state_up))
            return done;
        if (state.line == QLatin1String(bus_names::state_dialing))
            dialing = true;
        else if (dialing && state.line == QLatin1String(bus_names::state_down))
            return reporter.fail(refused, QStringLiteral("the call ended without the line up"));
        return std::nullopt;
    };
    return until(client, seconds, judge, [&] {
        return reporter.fail(
            timed_out, QStringLiteral("the line is not up after %1 seconds").arg(seconds));
    });
}

int act(Client& client, const Options& o, const Reporter& reporter)
{
    if (o.fromMenu || o.wait)
        client.watch();
    if (o.fromMenu) {
        if (const int status = awaitStatus(client, reporter))
            return status;
    }
    const QDBusMessage reply = client.call(bus_names::control, o.action->method);
    // A line already up, or a call already being set up, is what --wait waits for.
    const bool waitAnyway = o.wait && reply.errorName() == QLatin1String(bus_names::already_done);
    if (reply.type() != QDBusMessage::ReplyMessage && !waitAnyway)
        return reporter.fail(reply);
    return o.wait ? awaitLine(client, reporter, o.timeout.value_or(60)) : done;
}

int status(Client& client, const Options& o, const Reporter& reporter)
{
    QDBusMessage reply;
    const ClientState state = client.read(&reply);
    // A status bar gets its line also when no client runs.
    if (state.running || o.json)
        print(stdout, o.json ? QString::fromUtf8(state.json()) : state.sentence());
    return state.running ? done : reporter.fail(reply);
}

int watch(Client& client, const Options& o)
{
    const auto show = [&] {
        const ClientState& state = client.state();
        print(stdout, o.json ? QString::fromUtf8(state.json()) : state.sentence());
    };
    client.watch();
    show();
    QObject::connect(&client, &Client::changed, show);
    return QEventLoop().exec();
}

// Activate as the desktop does it: the startup id or activation token, where there is one,
// lets the window take the focus.
int activate(Client& client, const Reporter& reporter)
{
    QVariantMap platformData;
    if (qEnvironmentVariableIsSet("DESKTOP_STARTUP_ID"))
        platformData[QStringLiteral("desktop-startup-id")]
            = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    if (qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"))
        platformData[QStringLiteral("activation-token")]
            = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    const QDBusMessage reply = client.call(bus_names::application, "Activate", { platformData });
    return reply.type() == QDBusMessage::ReplyMessage ? done : reporter.fail(reply);
}

} // namespace

int main(int argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    Options o;
    const QString problem = parse(QCoreApplication::arguments().mid(1), o);
    if (o.help) {
        std::fputs(usage, stdout);
        return done;
    }
    if (!problem.isEmpty()) {
        print(stderr, QStringLiteral("tembrill-connect-ctl: ") + problem);
        print(stderr, QStringLiteral("Try 'tembrill-connect-ctl --help'."));
        return usage_error;
    }
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const Reporter reporter { bus, o.action ? QString::fromLatin1(o.action->failure) : o.command,
        o.fromMenu };
    if (!bus.isConnected()) {
        if (o.json)
            print(stdout, QString::fromUtf8(ClientState().json()));
        return reporter.fail(unavailable,
            QStringLiteral("no session bus (%1). Run it in the desktop session, where the client "
                           "runs, or both under dbus-run-session")
                .arg(bus.lastError().message()));
    }
    Client client(bus);
    if (o.action)
        return act(client, o, reporter);
    if (o.command == QLatin1String("status"))
        return status(client, o, reporter);
    if (o.command == QLatin1String("watch"))
        return watch(client, o);
    return activate(client, reporter);
}
