#include "platform/udp_socket.h"
#include "platform/unix_signals.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// The real socket on port 9118 (who holds the port, name lookups, errors after start), and the
// stop signals. It only ever sends to loopback addresses, here to itself on 127.0.0.1:9118.
class tst_platform : public QObject {
    Q_OBJECT
private slots:
    void port_held_by_another_data();
    void port_held_by_another();
    void addresses_data();
    void addresses();
    void name_asked_again_data();
    void name_asked_again();
    void no_thread_for_a_lookup();
    void stop_signals();
};

namespace {

// A socket of another program on port 9118 of an address (every one by default), shared or not.
int bound_socket(in_addr_t address, bool shared = true)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    if (shared)
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any { AF_INET, htons(9118), { address }, {} };
    if (bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) == 0)
        return fd;
    close(fd);
    return -1;
}

} // namespace

void tst_platform::port_held_by_another_data()
{
    QTest::addColumn<QString>("holder"); // who binds the port before the client
    QTest::addColumn<QString>("device"); // the client's remote host; never sent to here
    QTest::addColumn<bool>("shared"); // a program that binds it after the client gets it
    const QString none;
    QTest::newRow("free, device on the network") << none << "192.0.2.1" << false;
    QTest::newRow("free, device by name") << none << "device.invalid" << false;
    QTest::newRow("a second client") << QString("client") << "127.0.0.2" << true;
    QTest::newRow("another program") << QString("program") << "192.0.2.1" << false;
}

void tst_platform::port_held_by_another()
{
    QFETCH(QString, holder);
    QFETCH(QString, device);
    QFETCH(bool, shared);
    auto first = std::make_unique<UdpDatagramSocket>();
    first->setRemoteHost(holder == "client" ? "127.0.0.1" : "192.0.2.1");
    if (holder != "client")
        first.reset();
    int other = holder == "program" ? bound_socket(INADDR_ANY, false) : -1;
    const auto release = qScopeGuard([&other] { close(other); }); // also after a failed check
    UdpDatagramSocket client;
    QSignalSpy errors(&client, &DatagramSocket::Error);
    client.setRemoteHost(device);
    const int later = bound_socket(INADDR_ANY);
    close(later);
    QCOMPARE(later >= 0, shared);
    // One clear report, once the window runs; once the port is free again, the next send
    // claims it.
    QTRY_COMPARE(errors.size(), int(!holder.isEmpty()));
    if (holder.isEmpty())
        return;
    QCOMPARE(errors[0][1].toString(), QString("Address already in use: port 9118"));
    QVERIFY_THROWS_EXCEPTION(SocketError, client.sendData("x")); // not from another port
    first.reset();
    close(std::exchange(other, -1));
    client.setRemoteHost("127.0.0.1");
    client.sendData("x");
    QVERIFY(client.isBound());
}

void tst_platform::addresses_data()
{
    // Sends poll, poll, poll, connect before any lookup can end; then what arrived at the
    // socket itself, or the send error.
    QTest::addColumn<QString>("host");
    QTest::addColumn<QStringList>("arrived");
    QTest::newRow("name with a trailing dot")
        << "localhost." << QStringList { "ffff010100", "ffff020200" };
    QTest::newRow("empty") << "" << QStringList { "error 11004" };
    // A label longer than 63 characters is refused before any name server is asked.
    QTest::newRow("unresolvable") << QString(70, 'x') + ".invalid" << QStringList { "error 11001" };
}

void tst_platform::addresses()
{
    QFETCH(QString, host);
    QFETCH(QStringList, arrived);
    UdpDatagramSocket socket;
    QStringList seen;
    QObject::connect(
        &socket, &DatagramSocket::DataArrival, [&] { seen << QString(socket.getData().toHex()); });
    QObject::connect(&socket, &DatagramSocket::SendFailed,
        [&](const SocketError& e) { seen << QString("error %1").arg(e.number); });
    socket.setRemoteHost(host);
    try {
        for (const char* hex : { "ffff010100", "ffff010100", "ffff010100", "ffff020200" })
            socket.sendData(QByteArray::fromHex(hex)); // returns at once
    } catch (const SocketError& e) {
        seen << QString("error %1").arg(e.number);
    }
    QTRY_COMPARE(seen, arrived);
}

void tst_platform::name_asked_again_data()
{
    // A send at each second of `at`; the name server answers each lookup in turn ("": fails).
    // What arrived at the old address (the socket itself) and at the new one, 127.0.0.2, and
    // how often the name was looked up.
    QTest::addColumn<QString>("host");
    QTest::addColumn<QList<int>>("at");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("at_old");
    QTest::addColumn<QString>("at_new");
    QTest::addColumn<int>("lookups");
    // At 59 the answer is not a minute old yet; at 60 the lookup fails, so 61 asks again.
    QTest::newRow("a minute on, asked again; a failed lookup keeps the last address")
        << "box.lan" << QList<int> { 0, 59, 60, 61 } << QStringList { "127.0.0.1", "", "127.0.0.2" }
        << "abc"
        << "d" << 3;
    QTest::newRow("a dotted address is never looked up")
        << "127.0.0.1" << QList<int> { 0, 61 } << QStringList { "127.0.0.2" } << "ab"
        << "" << 0;
}

void tst_platform::name_asked_again()
{
    QFETCH(QString, host);
    QFETCH(QList<int>, at);
    QFETCH(QStringList, answers);
    QFETCH(QString, at_old);
    QFETCH(QString, at_new);
    QFETCH(int, lookups);
    std::atomic<int> asked = 0;
    qint64 now = 1000;
    UdpDatagramSocket socket;
    socket.setResolver(
        [&asked, answers](const QByteArray&) -> quint32 {
            const QString answer = answers.value(asked++);
            return answer.isEmpty() ? 0 : inet_addr(qPrintable(answer));
        },
        [&now] { return now; });
    QString seen;
    QObject::connect(
        &socket, &DatagramSocket::DataArrival, [&] { seen += QString(socket.getData()); });
    socket.setRemoteHost(host);
    int moved = -1; // the new address, bound once the port is shared with the device on 127.0.0.1
    for (int i = 0; i < at.size(); ++i) {
        now = 1000 + at[i] * 1000;
        socket.sendData(QByteArray(1, char('a' + i)));
        QTRY_VERIFY(!socket.isLookingUp());
        if (i == 0)
            moved = bound_socket(inet_addr("127.0.0.2"));
    }
    QTRY_COMPARE(seen, at_old);
    QString there;
    char c = 0;
    while (recv(moved, &c, 1, MSG_DONTWAIT) == 1)
        there += c;
    close(moved);
    QCOMPARE(there, at_new);
    QCOMPARE(asked, lookups);
}

void tst_platform::no_thread_for_a_lookup()
{
    // Under a process limit no lookup thread can start: the name is not found, and the
    // program goes on. In a child of its own, as nobody where this runs as root.
    const pid_t child = fork();
    if (child == 0) {
        const rlimit none { 0, 0 };
        if ((geteuid() == 0 && setresuid(65534, 65534, 65534) != 0)
            || setrlimit(RLIMIT_NPROC, &none) != 0)
            _exit(2);
        UdpDatagramSocket socket(9119);
        int failed = 0;
        QObject::connect(
            &socket, &DatagramSocket::SendFailed, [&](const SocketError& e) { failed = e.number; });
        socket.setRemoteHost("localhost");
        socket.sendData("x");
        const bool said = QTest::qWaitFor([&] { return failed != 0; }, 1000);
        _exit(said && failed == 11001 ? 0 : 1);
    }
    int status = 0;
    const bool ended
        = QTest::qWaitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 20000);
    if (!ended)
        kill(child, SIGKILL);
    QVERIFY2(ended, "the lookup hangs");
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void tst_platform::stop_signals()
{
    // SIGTERM becomes an event; SIGHUP, ignored as under nohup, stays ignored; once the
    // handlers are gone, both are as they were.
    std::signal(SIGHUP, SIG_IGN);
    struct sigaction before {
    }, term {}, hup {};
    sigaction(SIGTERM, nullptr, &before);
    {
        UnixSignals stops;
        QSignalSpy received(&stops, &UnixSignals::received);
        raise(SIGHUP);
        raise(SIGTERM);
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received[0][0].toInt(), SIGTERM);
    }
    sigaction(SIGTERM, nullptr, &term);
    sigaction(SIGHUP, nullptr, &hup);
    QVERIFY(term.sa_handler == before.sa_handler);
    QVERIFY(hup.sa_handler == SIG_IGN);
    std::signal(SIGHUP, SIG_DFL);
}

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
