#pragma once

// How data flows:
//
//   click ──> command datagram ──> device ──> status datagram ──> link model ──> widgets
//   (connect_Click)  (send_command)          (socket_DataArrival)  (handle_status)  (show_link)
//
// The timers tick into the model as well (blink, poll, durations); after every event show_link
// puts what changed in the model's display on the widgets and switches the timers. Nothing on
// the screen changes on a click alone.

#include "link/link_model.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <optional>

class DatagramSocket;
class LampView;
struct SocketError;
class MessageBoxes;
class QLabel;
class QPushButton;
class QTimer;
class SettingsOpener;
class TimeSource;

// The platform services the window works with; production wires the real ones, tests fakes.
struct MainServices {
    DatagramSocket* socket = nullptr;
    TimeSource* clock = nullptr;
    MessageBoxes* boxes = nullptr;
    SettingsOpener* settings = nullptr;
};

// The two command buttons, as callers other than a click name them.
enum class Button : quint8 { Connect, Multilink };

// Why a caller other than a click may not send a button's command now: no full status since
// start or since the address changed (the device's rights are unknown), or the button is
// disabled by the device's rights.
enum class Refusal : quint8 { None, NoStatus, NotAllowed };

// What a button would send now, and whether a caller other than a click may send it.
struct WouldSend {
    qint16 command = 0;
    Refusal refusal = Refusal::None;
};

// The strip window: settings button, logo, two lamps, two command buttons, two duration labels.
// Constructing it loads it (Form_Load): settings read, width set, lamps red, polling on.
class Main : public QWidget {
    Q_OBJECT
public:
    explicit Main(const MainServices& services, QWidget* parent = nullptr);
    ~Main() override;

    void set_window_width();
    void reset_constat();

    // Position of the window's outer frame in twips, as stored in remote.inf.
    float top() const { return m_top; }
    float left() const { return m_left; }
    void set_position(float top, float left);
    // Outer width in twips.
    double outer_width_twips() const;

    // Writes the settings (Form_Unload), once: on closing, or when the process ends without
    // the window having been closed (the display went away). A failed write is told: in a box
    // when the user closed the window, else in a line on standard error, once a run.
    void unload();
    // Closes the window as its close box does, for a signal or the end of the session: no one
    // may be there to read a box.
    void end_session();
    // Writes the settings and stays open: a session checkpoint, or a logout that may yet be
    // cancelled.
    bool save_settings();

    // What the desktop around the window (the session bus) uses; none of it opens a box.
    WouldSend would_send(Button button) const;
    // Sends what the button would send now, as its click does; a failure is returned instead
    // of shown: the text the send-error box would show, or an empty string.
    QString send_button(Button button);
    // Restores a minimized window, raises it and asks for the focus; where the desktop does
    // not give it, the window asks for attention.
    void bring_forward();
    LampState line_state() const { return model.display.line; }
    LampState second_state() const { return model.display.second; }
    // The seconds the duration labels show, kept after a count stops.
    quint32 line_seconds() const;
    quint32 second_seconds() const;

    QPushButton* CallOption = nullptr;
    QPushButton* connect = nullptr;
    QPushButton* multilink = nullptr;
    LampView* connected = nullptr;
    LampView* multilinked = nullptr;
    QLabel* online_time = nullptr;
    QLabel* multilink_time = nullptr;
    QLabel* Image3 = nullptr;
    // Hidden, never read by anything but the lamps: each holds one lamp picture, which the lamps
    // take from it (picture()).
    QLabel* led_on = nullptr;
    QLabel* led_off = nullptr;
    QLabel* led_red = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    DatagramSocket* socket = nullptr;

signals:
    // The window has been closed and the settings written: the program ends.
    void unloaded();
    // What the window shows, or the address, has changed.
    void shown_changed();
    // A status from the device has been handled (after shown_changed, if it changed anything).
    void status_handled();
    // A command datagram has left (or waits for the address to be looked up), by any route.
    void command_sent(qint16 command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class tst_main;

    LinkModel model;
    QString settings_path;

    void build_controls();
    void name_controls();
    void build_timers();
    void wire_events();
    void place_window(float top, float left, bool wide);
    void apply_width();
    // Puts what changed in the model's display on the widgets and switches the timers.
    void show_link();
    // Tells assistive technology the link's state, once it has settled.
    void announce_link();
    // A lamp picture by role, drawn the first time it is asked for; its hidden source shows it.
    const QPixmap& picture(Lamp lamp);

    void CallOption_Click();
    void connect_Click();
    void multilink_Click();
    void Form_Load();
    QString Form_Unload();
    void read_settings();
    // Empty when remote.inf holds the settings now, else why it does not.
    QString write_settings();
    void tell_not_saved(const QString& why, bool in_a_box);
    void socket_DataArrival(qint32 bytesTotal);
    void send_command(const qint16& marker, const qint16& code);
    std::optional<SocketError> send(qint16 marker, qint16 code);
    void socket_Error(qint16 number, const QString& description, qint32 scode,
        const QString& source, const QString& helpFile, qint32 helpContext, bool* cancelDisplay);
    void show_send_error(int number, const QString& description);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    TimeSource* m_clock = nullptr;
    MessageBoxes* m_boxes = nullptr;
    SettingsOpener* m_settings = nullptr;
    // The lamp pictures by role (Unlit, Lit, Red), as their hidden sources show them.
    std::array<QPixmap, 3> m_pictures;
    // What the widgets show now; show_link compares the model's display with it.
    LinkDisplay m_shown;
    int m_outer_twips = 2648;
    QTimer* m_fit = nullptr;
    QTimer* m_announce = nullptr;
    QLabel* m_notice = nullptr;
    float m_top = 0;
    float m_left = 0;
    bool m_placing = false;
    bool m_unloaded = false;
    bool m_session_ending = false;
    bool m_told_on_stderr = false;
};
