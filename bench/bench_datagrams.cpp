// The datagram path in process: the link model and the window's update step, with a stand-in
// socket and clock. Prints status datagrams handled per second when the status repeats and
// when it changes every time, resident memory after a thousand and after ten million
// datagrams, and after a simulated week of duration ticks. Prints figures; fails on nothing.

#include "main/main_window.h"
#include "platform_fakes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

long rss_kib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Datagrams a second: n arrivals, alternating between a and b.
double rate(FakeSocket& socket, const QByteArray& a, const QByteArray& b, long n)
{
    QElapsedTimer t;
    t.start();
    for (long i = 0; i < n; ++i) {
        socket.pending = i & 1 ? b : a;
        emit socket.DataArrival(4);
    }
    return double(n) / (double(t.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long n = argc > 1 ? std::stol(argv[1]) : 10'000'000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    FakeSocket socket;
    FakeClock clock;
    FakeBoxes boxes;
    FakeSettings settings; // the dialog never opens
    Main window({ &socket, &clock, &boxes, &settings });

    const QByteArray up = QByteArray::fromHex("fefe5555"),
                     dialing = QByteArray::fromHex("fefe5757");
    rate(socket, up, up, 1000);
    const long rss_1k = rss_kib();
    const double same = rate(socket, up, up, n);
    const long rss_n = rss_kib();
    const double changing = rate(socket, up, dialing, n / 10);

    // A simulated week of the durations counting, two ticks a second.
    LinkModel model;
    model.handle_status({ 253, 253, 5 }, clock);
    for (long tick = 0; tick < 7L * 86400 * 2; ++tick) {
        clock.t.seconds += 0.5f;
        if (clock.t.seconds >= 86400) {
            clock.t.seconds -= 86400;
            ++clock.t.day;
        }
        model.Timer3_Timer(clock);
    }
    std::printf("in-process, repeated status        %12.0f datagrams/s\n", same);
    std::printf("in-process, changing status        %12.0f datagrams/s\n", changing);
    std::printf("resident memory after 1000         %12ld KiB\n", rss_1k);
    std::printf("resident memory after %-13ld %12ld KiB\n", n, rss_n);
    std::printf("resident memory after a week       %12ld KiB (durations %s %s)\n", rss_kib(),
        qPrintable(model.display.online_text), qPrintable(model.display.multilink_text));
    return 0;
}
