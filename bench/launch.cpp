// Starts a program and times it to its first mapped window: subscribes to the X root window's
// map notifications, forks and execs the program, and waits for the first MapNotify. One
// second later it reads the program's resident memory. Prints "<ms> <KiB>" and ends the
// program. Run it on an X server without a window manager (the window maps on the root).
//
// Under QT_QPA_PLATFORM=offscreen nothing is mapped: the program is timed to its first rest
// instead, the moment its main thread last ran before 50 ms without running, which is when
// its event loop first waits with the window shown (a program's timers of 100 ms and more
// come later).

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start, Clock::time_point t = Clock::now())
{
    return std::chrono::duration<double, std::milli>(t - start).count();
}

// The nanoseconds a thread has run, as the scheduler counts them; -1 once it is gone.
long long run_time(pid_t pid)
{
    std::ifstream stat(
        "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/schedstat");
    long long ns = -1;
    stat >> ns;
    return ns;
}

double time_to_rest(pid_t child, Clock::time_point start)
{
    long long last = 0;
    Clock::time_point changed = start;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        const long long now = run_time(child);
        if (now < 0)
            return -1;
        const Clock::time_point t = Clock::now();
        if (now != last)
            last = now, changed = t;
        else if (ms_since(changed, t) >= 50)
            return ms_since(start, changed);
    }
}

double time_to_map(xcb_connection_t* x, Clock::time_point start)
{
    while (xcb_generic_event_t* e = xcb_wait_for_event(x)) {
        const bool mapped = (e->response_type & 0x7f) == XCB_MAP_NOTIFY;
        free(e);
        if (mapped)
            return ms_since(start);
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: launch PROGRAM [ARGS]\n");
        return 2;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = platform && std::strcmp(platform, "offscreen") == 0;
    xcb_connection_t* x = nullptr;
    if (!offscreen) {
        x = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(x)) {
            std::fprintf(stderr, "launch: no X display\n");
            return 2;
        }
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(x);
    }

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    const double ms = offscreen ? time_to_rest(child, start) : time_to_map(x, start);
    std::this_thread::sleep_until(start + std::chrono::seconds(1));
    long kib = -1;
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            kib = std::stol(line.substr(6));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    if (x)
        xcb_disconnect(x);
    std::printf("%.2f %ld\n", ms, kib);
    return ms < 0 ? 1 : 0;
}
