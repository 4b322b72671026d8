// Draws the program's icon for the hicolor theme at the sizes desktops ask for, with the same
// code that draws the window's logo.

#include "platform/pictures.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    for (const int size : { 16, 32, 48, 64, 128 }) {
        if (!pictures::logo(size).save(QStringLiteral("%1/%2.png").arg(dir).arg(size)))
            return 1;
    }
    return 0;
}
