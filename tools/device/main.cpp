// tembrill-device: a stand-in for the dial-up box, for demos and end-to-end tests.

#include "device_model.h"

#include "link/wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <QUdpSocket>

#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

termios saved_terminal {};
bool terminal_raw = false;

// Stopped from outside: give the terminal back as it was.
extern "C" void on_terminate(int)
{
    if (terminal_raw)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
    _exit(0);
}

const char* const keys_help = "Keys while running (standard input):\n"
                              "  c  connect the line        h  hang up\n"
                              "  m  add the second channel  s  drop the second channel\n"
                              "  d  drop the line now       r  restart (sends a repoll reply)\n"
                              "  p  send a repoll reply     f  toggle failing dials\n"
                              "  x  toggle silence          g  send mismatched pairs\n"
                              "  u  send an unknown type    3/4  unasked statuses as 253/254\n"
                              "  q  quit\n";

void log(const char* dir, const QHostAddress& peer, int port, const QByteArray& data,
    const QString& meaning)
{
    std::printf("%s %-3s %s:%d %s  %s\n",
        qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))), dir,
        qPrintable(peer.toString()), port, data.toHex(' ').constData(), qPrintable(meaning));
    std::fflush(stdout);
}

void note(const QString& text)
{
    std::printf("%s --- %s\n",
        qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))),
        qPrintable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tembrill-device"));

    QCommandLineParser cli;
    cli.setApplicationDescription(
        QStringLiteral(
            "Simulates the dial-up box on UDP port 9118 of a local address and answers the client "
            "at the sender's address, port 9118. Every datagram in and out is logged.\n\n")
        + QString::fromLatin1(keys_help));
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
    options.unaskedType = cli.value(unasked).toInt() == 253 ? 253 : 254;
    options.failDial = cli.isSet(fail);
    options.dropAfterS = std::max(0, cli.value(drop).toInt());
    options.silent = cli.isSet(silent);
    DeviceModel device(options);

    const QHostAddress listen(cli.value(address));
    if (listen.isNull() || !listen.isLoopback()) {
        std::fprintf(stderr, "tembrill-device: listens on loopback addresses only, not %s\n",
            qPrintable(cli.value(address)));
        return 2;
    }
    QUdpSocket socket;
    // Shared, so the client's own socket on all addresses of port 9118 can sit beside it.
    if (!socket.bind(listen, wire::port,
            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "tembrill-device: cannot listen on %s:%d: %s\n",
            qPrintable(listen.toString()), wire::port, qPrintable(socket.errorString()));
        return 1;
    }
    note(QStringLiteral("listening on %1:%2").arg(listen.toString()).arg(wire::port));

    QHostAddress client;
    auto send = [&](const QByteArray& data, const QString& meaning) {
        if (device.options().silent || client.isNull())
            return;
        socket.writeDatagram(data, client, wire::port);
        log("out", client, wire::port, data, meaning);
    };
    QObject::connect(&device, &DeviceModel::send, send);

    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        for (int i = 0; i < 64 && socket.hasPendingDatagrams(); ++i) {
            const QNetworkDatagram d = socket.receiveDatagram();
            log("in", d.senderAddress(), d.senderPort(), d.data(), wire::describe(d.data()));
            // Only loopback peers are answered.
            if (!d.senderAddress().isLoopback())
                continue;
            client = d.senderAddress();
            const std::optional<wire::Reply> r = wire::read_reply(d.data());
            if (r && wire::reply_valid(*r) && (*r)[0] == wire::command_marker)
                device.command((*r)[2]);
        }
    });

    // Single keys on standard input; a terminal is switched to unbuffered input for it.
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved_terminal) == 0) {
        termios raw = saved_terminal;
        raw.c_lflag &= ~(ICANON | ECHO);
        terminal_raw = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
        std::printf("%s", keys_help);
    }
    std::signal(SIGTERM, on_terminate);
    std::signal(SIGINT, on_terminate);
    QSocketNotifier keys(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&keys, &QSocketNotifier::activated, [&] {
        char key = 0;
        if (::read(STDIN_FILENO, &key, 1) != 1) {
            keys.setEnabled(false); // no more input; keep running
            return;
        }
        switch (key) {
        case 'c':
            device.connectLine();
            break;
        case 'h':
            device.hangUp();
            break;
        case 'm':
            device.addSecond();
            break;
        case 's':
            device.dropSecond();
            break;
        case 'd':
            device.dropLine();
            break;
        case 'r':
            note(QStringLiteral("restart"));
            device.restart();
            break;
        case 'p':
            send(wire::status_bytes(wire::reply_repoll, 0), QStringLiteral("repoll"));
            break;
        case 'g':
            send(QByteArray::fromHex("fefd0101"), QStringLiteral("mismatched pairs"));
            break;
        case 'u':
            send(wire::status_bytes(250, 1), QStringLiteral("unknown type 250"));
            break;
        case 'f':
            device.options().failDial = !device.options().failDial;
            note(device.options().failDial ? QStringLiteral("dials fail")
                                           : QStringLiteral("dials succeed"));
            break;
        case 'x':
            device.options().silent = !device.options().silent;
            note(device.options().silent ? QStringLiteral("silent") : QStringLiteral("answering"));
            break;
        case '3':
            device.options().unaskedType = 253;
            note(QStringLiteral("unasked type 253"));
            break;
        case '4':
            device.options().unaskedType = 254;
            note(QStringLiteral("unasked type 254"));
            break;
        case 'q':
            QCoreApplication::quit();
            break;
        default:
            break;
        }
    });

    const int rc = app.exec();
    if (terminal_raw)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
    return rc;
}
