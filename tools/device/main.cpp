// tembrill-device: a stand-in for the dial-up box, for demos and end-to-end tests.

#include "device_server.h"

#include "link/wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

termios saved_terminal {};
bool terminal_raw = false;

void restore_terminal()
{
    if (terminal_raw)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
}

// Stopped from outside: give the terminal back as it was.
extern "C" void on_terminate(int)
{
    restore_terminal();
    _exit(0);
}

DeviceModel::Options parse_options(const QCoreApplication& app, QHostAddress* listen)
{
    QCommandLineParser cli;
    cli.setApplicationDescription(
        QStringLiteral(
            "Simulates the dial-up box on UDP port 9118 of a local address and answers the client "
            "at the sender's address, port 9118. Every datagram in and out is logged.\n\n")
        + DeviceServer::keys_help());
    cli.addHelpOption();
    const QCommandLineOption address({ "a", "address" },
        QStringLiteral("Address to listen on (default 127.0.0.2)."), QStringLiteral("ip"),
        QStringLiteral("127.0.0.2"));
    const QCommandLineOption dial({ "t", "dial-time" },
        QStringLiteral("Milliseconds a dial takes (default 3000)."), QStringLiteral("ms"),
        QStringLiteral("3000"));
    const QCommandLineOption unasked({ "u", "unasked-type" },
        QStringLiteral("Type of statuses sent unasked: 253 or 254 (default 254)."),
        QStringLiteral("type"), QStringLiteral("254"));
    const QCommandLineOption fail(QStringLiteral("fail-dial"), QStringLiteral("Every dial fails."));
    const QCommandLineOption drop(QStringLiteral("drop-after"),
        QStringLiteral("The line drops this many seconds after it came up."), QStringLiteral("s"),
        QStringLiteral("0"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Answer nothing."));
    cli.addOptions({ address, dial, unasked, fail, drop, silent });
    cli.process(app);

    DeviceModel::Options options;
    options.dialMs = std::max(0, cli.value(dial).toInt());
    options.unaskedType = cli.value(unasked).toInt() == wire::reply_status
        ? wire::reply_status
        : wire::reply_full_status;
    options.failDial = cli.isSet(fail);
    options.dropAfterS = std::max(0, cli.value(drop).toInt());
    options.silent = cli.isSet(silent);
    *listen = QHostAddress(cli.value(address));
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tembrill-device"));
    QHostAddress listen;
    DeviceModel device(parse_options(app, &listen));
    DeviceServer server(device);
    if (!server.listen(listen))
        return 2;

    // Single keys on standard input; a terminal is switched to unbuffered input for it.
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved_terminal) == 0) {
        termios raw = saved_terminal;
        raw.c_lflag &= ~(ICANON | ECHO);
        terminal_raw = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
        std::printf("%s", qPrintable(DeviceServer::keys_help()));
    }
    std::signal(SIGTERM, on_terminate);
    std::signal(SIGINT, on_terminate);
    QSocketNotifier keys(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&keys, &QSocketNotifier::activated, [&] {
        char key = 0;
        if (::read(STDIN_FILENO, &key, 1) != 1)
            keys.setEnabled(false); // no more input; keep running
        else
            server.key(key);
    });

    const int rc = app.exec();
    restore_terminal();
    return rc;
}
