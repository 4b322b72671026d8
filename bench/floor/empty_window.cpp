// Floor (a): a bare Qt Widgets program that shows one empty tool window.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr,
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window.setWindowTitle(QStringLiteral("Tembrill Connect"));
    window.resize(171, 38);
    window.show();
    return app.exec();
}
