#include "desktop/session.h"
#include "main/main_window.h"
#include "platform/hyperlink.h"
#include "platform/message_boxes.h"
#include "platform/time_source.h"
#include "platform/udp_socket.h"
#include "platform/unix_signals.h"
#include "settings/dialog.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>

namespace {

Main* running_window = nullptr;

// Qt ends the process with exit() when the display goes away (a logout): the settings are
// written all the same.
void write_settings_at_exit()
{
    if (running_window)
        running_window->unload();
}

// Under Wayland a window can neither learn nor choose its place; through Xwayland it can, so
// where Xwayland is there the program runs through it, unless the user chose a platform.
bool run_through_xwayland(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsSet("DISPLAY")
        || !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrncmp(argv[i], "-platform=", 10) == 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // The strip repaints a lamp or a label of a few hundred pixels at a time. Over X shared
    // memory each repaint waits for a round trip to the server; sending the pixels is cheaper.
    // Qt reads the variable when it connects; programs started from here do not inherit it,
    // and one set outside is left as it is.
    const bool set_outside = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (!set_outside)
        qputenv("QT_XCB_NO_MITSHM", "1");
    // Through Xwayland where it answers; natively where it does not (a DISPLAY left over from
    // an X server that is gone, or one that refuses this user).
    const bool xwayland = run_through_xwayland(argc, argv);
    if (xwayland)
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication app(argc, argv);
    if (!set_outside)
        qunsetenv("QT_XCB_NO_MITSHM");
    if (xwayland)
        qunsetenv("QT_QPA_PLATFORM");
    app.setApplicationName(QStringLiteral("Tembrill Connect"));
    // The strip is a tool window, which Qt does not count as a last window: the program ends
    // when the window has been closed and its settings written.
    app.setQuitOnLastWindowClosed(false);

    // One strip a session: a second start brings the first one forward and ends, before it
    // reads remote.inf or binds the port.
    DesktopSession desktop;
    const DesktopSession::Start start = desktop.start();
    if (start == DesktopSession::Start::Failed)
        std::fprintf(stderr, "tembrill-connect: the running strip does not answer: %s\n",
            qPrintable(desktop.error()));
    if (start != DesktopSession::Start::Alone)
        return start == DesktopSession::Start::Activated ? 0 : 1;

    UdpDatagramSocket socket;
    SystemTime clock;
    WidgetMessageBoxes boxes;
    ModalSettingsOpener settings(std::make_shared<DesktopHyperlink>());

    Main window({ &socket, &clock, &boxes, &settings });
    desktop.attach(&window);
    QObject::connect(&window, &Main::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Shutdown and Ctrl+C close the window as its close box does. The session manager's
    // request to save comes at a checkpoint too, and before a logout that may yet be cancelled:
    // the settings are written and the window stays; the end of the session closes it.
    UnixSignals stops;
    QObject::connect(&stops, &UnixSignals::received, &window, &Main::end_session);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
        [&window](QSessionManager&) { window.save_settings(); });
    running_window = &window;
    std::atexit(write_settings_at_exit);

    window.show();
    const int rc = app.exec();
    running_window = nullptr;
    return rc;
}
