// The strip window's controls and layout in twips, its width and its position.

#include "main/main_window.h"

#include "main/lamp_view.h"

#include "platform/datagram_socket.h"
#include "platform/pictures.h"
#include "platform/ui.h"
#include "settings/globals.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int design_height = 570;
constexpr int wide_width = 2648;
constexpr int narrow_width = 1815;
// Border of a fixed tool window on each side, used until the window manager reports its frame.
constexpr int default_border = 45;
// Where the window opens when the settings file gives no position.
constexpr float default_left = 1410;
constexpr float default_top = 1380;

// A native Wayland client can neither learn nor choose its place.
bool native_wayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

Main::Main(const MainServices& services, QWidget* parent)
    : QWidget(parent,
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , socket(services.socket)
    , m_clock(services.clock)
    , m_boxes(services.boxes)
    , m_settings(services.settings)
{
    // To assistive technology the strip is a window; a lamp, a label; the notice, a
    // notification, which screen readers say when it shows.
    static const bool installed = [] {
        QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
            auto* widget = qobject_cast<QWidget*>(object);
            if (qobject_cast<Main*>(object))
                return new QAccessibleWidget(widget, QAccessible::Window);
            if (dynamic_cast<LampView*>(object))
                return new QAccessibleWidget(widget, QAccessible::StaticText);
            if (widget && widget->objectName() == QLatin1String("notice"))
                return new QAccessibleWidget(widget, QAccessible::Notification);
            return nullptr;
        });
        return true;
    }();
    Q_UNUSED(installed);
    build_controls();
    Form_Load();
}

Main::~Main() = default;

void Main::build_controls()
{
    setWindowTitle(QStringLiteral("Tembrill Connect"));
    // The icon and the lamps' other pictures are not needed for the first paint: they are
    // drawn once the event loop runs, after the window has been asked to map.
    QTimer::singleShot(0, this, [this] {
        setWindowIcon(pictures::window_icon());
        picture(Lamp::Unlit), picture(Lamp::Lit);
    });
    setFont(ui::sans_font(8.25));
    setFixedHeight(ui::twips_to_px(this, design_height));

    CallOption = new QPushButton(QStringLiteral("--"), this);
    ui::place(CallOption, 0, 0, 150, 555);
    connect = new QPushButton(QStringLiteral("Connect"), this);
    ui::place(connect, 840, 10, 855, 255);
    multilink = new QPushButton(QStringLiteral("Multilink"), this);
    ui::place(multilink, 840, 250, 855, 255);

    // Pictures drawn for their size in twips at the screen's pixel ratio: crisp at any scale.
    // The lamps start red, as they stay until the device answers.
    led_on = ui::add_label(this, {}, 2880, 0, 240, 240);
    led_off = ui::add_label(this, {}, 2880, 120, 240, 240);
    led_red = ui::add_label(this, {}, 2880, 240, 240, 240);
    for (QLabel* source : { led_on, led_off, led_red })
        source->setVisible(false);
    // Beyond either width, like the picture sources: it is only ever heard.
    m_notice = ui::add_label(this, {}, 2880, 360, 240, 120);
    m_notice->setObjectName(QStringLiteral("notice"));
    connected = new LampView(this);
    multilinked = new LampView(this);
    ui::place(connected, 555, 15, 240, 240);
    ui::place(multilinked, 555, 255, 240, 240);
    for (LampView* lamp : { connected, multilinked })
        lamp->setPixmap(picture(Lamp::Red));
    m_shown.connected = m_shown.multilinked = Lamp::Red;
    online_time = ui::add_label(this, QStringLiteral("00:00:00"), 1800, 45, 735, 255);
    multilink_time = ui::add_label(this, QStringLiteral("00:00:00"), 1800, 285, 735, 255);
    for (QLabel* label : { online_time, multilink_time })
        label->setAutoFillBackground(true);
    Image3 = ui::add_label(this, {}, 120, 0, 480, 480);
    Image3->setPixmap(pictures::logo(ui::twips_to_px(this, 480), devicePixelRatioF()));
    // The lamps lie over the logo's right edge; keep them on top.
    connected->raise();
    multilinked->raise();

    // Tab order: connect, multilink, (the labels take no focus), CallOption.
    setTabOrder(connect, multilink);
    setTabOrder(multilink, CallOption);
    connect->setFocus();
    name_controls();
    build_timers();
    wire_events();
    set_position(default_top, default_left);
}

void Main::name_controls()
{
    // What assistive technology reads; the lamps' names follow the link (show_link).
    CallOption->setAccessibleName(QStringLiteral("Settings"));
    CallOption->setAccessibleDescription(QStringLiteral("Opens the settings dialog"));
    online_time->setAccessibleDescription(QStringLiteral("How long the line has been up"));
    multilink_time->setAccessibleDescription(
        QStringLiteral("How long the second channel has been up since the line came up"));
    Image3->setAccessibleName(QStringLiteral("Tembrill Connect"));
}

void Main::build_timers()
{
    m_fit = new QTimer(this);
    m_fit->setSingleShot(true);
    m_fit->setInterval(150);
    m_announce = new QTimer(this);
    m_announce->setSingleShot(true);
    m_announce->setInterval(700);
    // Precise timers never fire early, so a duration tick never reads a second that the line
    // has not reached yet (coarse ones may fire up to 5 % early).
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    Timer3 = new QTimer(this);
    Timer3->setInterval(500);
    for (QTimer* t : { Timer1, Timer2, Timer3 })
        t->setTimerType(Qt::PreciseTimer);
}

void Main::wire_events()
{
    // Enter on a focused command button presses it, as Space does.
    for (QPushButton* b : { CallOption, connect, multilink })
        b->installEventFilter(this);
    QObject::connect(m_fit, &QTimer::timeout, this, &Main::apply_width);
    QObject::connect(m_announce, &QTimer::timeout, this, &Main::announce_link);
    QObject::connect(CallOption, &QPushButton::clicked, this, &Main::CallOption_Click);
    QObject::connect(connect, &QPushButton::clicked, this, &Main::connect_Click);
    QObject::connect(multilink, &QPushButton::clicked, this, &Main::multilink_Click);
    QObject::connect(Timer1, &QTimer::timeout, this, &Main::Timer1_Timer);
    QObject::connect(Timer2, &QTimer::timeout, this, &Main::Timer2_Timer);
    QObject::connect(Timer3, &QTimer::timeout, this, &Main::Timer3_Timer);
    QObject::connect(socket, &DatagramSocket::DataArrival, this, &Main::socket_DataArrival);
    QObject::connect(socket, &DatagramSocket::Error, this, &Main::socket_Error);
    QObject::connect(socket, &DatagramSocket::SendFailed, this,
        [this](const SocketError& e) { show_send_error(e.number, e.description); });
}

const QPixmap& Main::picture(Lamp lamp)
{
    QPixmap& drawn = m_pictures[size_t(lamp)];
    if (drawn.isNull()) {
        drawn = pictures::lamp(lamp, ui::twips_to_px(this, 240), devicePixelRatioF());
        const std::array<QLabel*, 3> sources { led_off, led_on, led_red };
        sources[size_t(lamp)]->setPixmap(drawn);
    }
    return drawn;
}

bool Main::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Main::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    tell_not_saved(Form_Unload(), !m_session_ending);
    emit unloaded();
}

void Main::end_session()
{
    m_session_ending = true;
    close();
}

void Main::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    tell_not_saved(Form_Unload(), false);
}

void Main::bring_forward()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    QTimer::singleShot(500, this, [this] {
        if (!isActiveWindow())
            QApplication::alert(this);
    });
}

void Main::set_window_width()
{
    m_outer_twips = Globals::show_duration ? wide_width : narrow_width;
    apply_width();
}

void Main::apply_width()
{
    const int outer = ui::twips_to_px(this, m_outer_twips);
    const int frame = isVisible() && frameGeometry().width() > width()
        ? frameGeometry().width() - width()
        : 2 * ui::twips_to_px(this, default_border);
    // Whatever frame the window manager draws (some draw wide shadows), the client area holds
    // the controls the switch shows: the duration labels, or the command buttons.
    const int controls = ui::twips_to_px(this, m_outer_twips == wide_width ? 2535 : 1695);
    const int client = std::max(controls, outer - frame);
    if (width() != client || minimumWidth() != client)
        setFixedWidth(client);
}

double Main::outer_width_twips() const { return ui::px_to_twips(this, frameGeometry().width()); }

void Main::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window manager reports its frame in a burst of moves after mapping, some of them
    // with passing positions; resizing amid them would send the window there. The width is
    // fitted to the frame once the moves have settled.
    m_fit->start();
}

void Main::set_position(float top, float left)
{
    m_top = top;
    m_left = left;
    m_placing = true;
    move(ui::twips_to_px(this, left), ui::twips_to_px(this, top));
    m_placing = false;
}

void Main::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The window manager reports the frame once the window is mapped: fit the width to it.
    if (isVisible())
        m_fit->start();
    // A Wayland client cannot learn its place: what it is told is no position of the screen's,
    // and the stored one is kept.
    if (m_placing || native_wayland())
        return;
    const QPoint at = pos();
    if (at.x() != ui::twips_to_px(this, m_left))
        m_left = float(ui::px_to_twips(this, at.x()));
    if (at.y() != ui::twips_to_px(this, m_top))
        m_top = float(ui::px_to_twips(this, at.y()));
}

void Main::place_window(float top, float left, bool wide)
{
    // A native Wayland client never learns where it is: the position is kept as it was read.
    if (native_wayland()) {
        set_position(top, left);
        return;
    }
    // A tool window has no taskbar entry: one placed wholly off every screen could never be
    // reached again, so it stays at its default position instead. The frame is judged at the
    // outer width the window is about to get, with a title bar of about 20 pixels.
    const int title = ui::twips_to_px(this, 300);
    const QRect frame(ui::twips_to_px(this, left), ui::twips_to_px(this, top),
        ui::twips_to_px(this, wide ? wide_width : narrow_width),
        ui::twips_to_px(this, design_height + 2 * default_border) + title);
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* s : screens) {
        if (s->geometry().intersects(frame)) {
            set_position(top, left);
            return;
        }
    }
}
