// Floor (b): the strip in bare Qt: the settings button, two command buttons, two duration
// labels, two lamps and the logo, with the same font and frame, and nothing else (no socket,
// settings, timers or logic). With --blink a lamp blinks as in a call being set up (a new
// picture every 100 ms), with --count a label counts as the durations do (every 500 ms): the
// toolkit's own cost of the two idle states.

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QWidget>

namespace {

QPixmap disc(int size, QColor colour)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.drawEllipse(1, 1, size - 2, size - 2);
    return pm;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr,
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window.setWindowTitle(QStringLiteral("Tembrill Connect"));
    QFont font;
    font.setFamilies({ QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans") });
    font.setPointSizeF(8.25);
    window.setFont(font);
    window.setFixedSize(171, 38);
    auto button
        = [&](const char* text, QRect r) { (new QPushButton(text, &window))->setGeometry(r); };
    auto label = [&](const QPixmap& pm, const char* text, QRect r) {
        auto* l = new QLabel(text, &window);
        if (!pm.isNull())
            l->setPixmap(pm);
        l->setGeometry(r);
        return l;
    };
    button("--", { 0, 0, 10, 37 });
    button("Connect", { 56, 1, 57, 17 });
    button("Multilink", { 56, 17, 57, 17 });
    label(disc(32, QColor(40, 90, 180)), nullptr, { 8, 0, 32, 32 });
    label(disc(16, QColor(200, 0, 0)), nullptr, { 37, 1, 16, 16 });
    QLabel* lamp = label(disc(16, QColor(200, 0, 0)), nullptr, { 37, 17, 16, 16 });
    QLabel* duration = label({}, "00:00:00", { 120, 3, 49, 17 });
    label({}, "00:00:00", { 120, 19, 49, 17 });
    const QPixmap lit = disc(16, QColor(0, 200, 0)), unlit = disc(16, QColor(0, 60, 0));
    QTimer timer;
    const QString mode = argc > 1 ? QString(argv[1]) : QString();
    timer.setTimerType(Qt::PreciseTimer);
    if (mode == "--blink") {
        QObject::connect(&timer, &QTimer::timeout,
            [&, on = false]() mutable { lamp->setPixmap((on = !on) ? lit : unlit); });
        timer.start(100);
    } else if (mode == "--count") {
        QObject::connect(&timer, &QTimer::timeout,
            [&] { duration->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss"))); });
        timer.start(500);
    }
    window.show();
    return app.exec();
}
