// Datagrams over loopback. A blaster thread floods 127.0.0.1:9118 from 127.0.0.3 with a
// repeated status for three seconds: first into a plain receive loop on a socket with the
// client's options (the kernel's floor), then into the client's own socket and window, while
// a 100 ms timer measures how late it fires. Prints both rates, their ratio and the lateness.

#include "main/main_window.h"
#include "platform/udp_socket.h"
#include "platform_fakes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr double seconds = 3;

sockaddr_in address(const char* ip, int port)
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, ip, &a.sin_addr);
    return a;
}

// Sends until told to stop.
std::thread blaster(std::atomic<bool>& stop)
{
    return std::thread([&stop] {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in from = address("127.0.0.3", 0), to = address("127.0.0.1", 9118);
        bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from);
        const char status[] = { char(0xfe), char(0xfe), 0x55, 0x55 };
        while (!stop)
            sendto(fd, status, 4, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        close(fd);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The floor: a plain receive loop.
    long floor_count = 0;
    {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const sockaddr_in any = address("0.0.0.0", 9118);
        bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any);
        timeval tv { 0, 100000 };
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        std::atomic<bool> stop = false;
        std::thread sender = blaster(stop);
        char buffer[2048];
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end)
            floor_count += recv(fd, buffer, sizeof buffer, 0) > 0;
        stop = true;
        sender.join();
        close(fd);
    }

    // The client: its socket and window, with the blink timer's interval as a probe.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile settings(dir.filePath("remote.inf"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("0,0\r\n\"127.0.0.2\"\r\n#TRUE#\r\n");
    settings.close();
    UdpDatagramSocket udp;
    SystemTime clock;
    FakeBoxes boxes;
    FakeSettings opener; // the dialog never opens
    Main window({ &udp, &clock, &boxes, &opener });
    long client_count = 0;
    QObject::connect(&udp, &DatagramSocket::DataArrival, [&] { ++client_count; });
    QElapsedTimer since;
    double late = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(100);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        late = std::max(late, double(since.nsecsElapsed()) / 1e6 - 100);
        since.restart();
    });
    std::atomic<bool> stop = false;
    std::thread sender = blaster(stop);
    since.start();
    probe.start();
    QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    app.exec();
    stop = true;
    sender.join();

    const double floor_rate = double(floor_count) / seconds;
    const double client_rate = double(client_count) / seconds;
    std::printf("loopback, plain receive loop       %12.0f datagrams/s\n", floor_rate);
    std::printf("loopback, client                   %12.0f datagrams/s (%.2f of the floor)\n",
        client_rate, client_rate / floor_rate);
    std::printf("100 ms timer under the flood       %12.1f ms late at most\n", late);
    return 0;
}
