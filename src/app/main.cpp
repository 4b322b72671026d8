#include "main/main_window.h"
#include "platform/hyperlink.h"
#include "platform/message_boxes.h"
#include "platform/time_source.h"
#include "platform/udp_socket.h"
#include "settings/dialog.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tembrill Connect"));
    // The strip is a tool window, which Qt does not count as a last window: the program ends
    // when the window has been closed and its settings written.
    app.setQuitOnLastWindowClosed(false);

    UdpDatagramSocket socket;
    SystemTime clock;
    WidgetMessageBoxes boxes;
    ModalSettingsOpener settings(std::make_shared<DesktopHyperlink>());

    Main window({ &socket, &clock, &boxes, &settings });
    QObject::connect(&window, &Main::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    return app.exec();
}
