#pragma once

// How data flows: a click on `connect` or `multilink` sends a command datagram to the device;
// the device answers (or reports unasked) with a status datagram; socket_DataArrival validates
// it and handle_status turns it into the link flags; show_state and update_buttons turn the
// flags into lamps, captions and enabled buttons, and switch the blink and duration timers.
// Timer2 polls until the first full status. Nothing on the screen changes on a click alone.

#include "link/wire.h"

#include <QWidget>

class DatagramSocket;
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

    // Controls.
    QPushButton* CallOption = nullptr;
    QPushButton* connect = nullptr;
    QPushButton* multilink = nullptr;
    QLabel* connected = nullptr;
    QLabel* multilinked = nullptr;
    QLabel* online_time = nullptr;
    QLabel* multilink_time = nullptr;
    QLabel* Image3 = nullptr;
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

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class tst_main;
    friend class tst_link;
    friend class tst_dialog;
    friend class tst_e2e_link;

    // Members, in their order.
    bool link_up = false;
    bool multilink_up = false;
    bool dialing = false;
    QString settings_path;
    bool status_seen = false;
    double online_secs = 0;
    qint32 online_start = 0;
    double multilink_secs = 0;
    float multilink_start = 0;
    qint32 multilink_carry = 0;

    // Days on which the line and the second channel came up, so a count goes on past midnight.
    qint64 online_start_day = 0;
    qint64 multilink_start_day = 0;
    // Blink phase shared by both lamps: 0 lights the lamp on the next tick, 1 darkens it.
    int blink_phase = 0;

    void build_controls();
    void place_window(float top, float left);
    void apply_width();
    void fit_width_to_frame();

    void CallOption_Click();
    void connect_Click();
    void multilink_Click();
    void Form_Load();
    void Form_Unload();
    void read_settings();
    bool write_settings();
    void socket_DataArrival(qint32 bytesTotal);
    void send_command(const qint16& marker, const qint16& code);
    void handle_status(const wire::Reply& reply);
    void update_buttons(const qint16& rights);
    void show_state();
    void socket_Error(qint16 number, const QString& description, qint32 scode,
        const QString& source, const QString& helpFile, qint32 helpContext, bool* cancelDisplay);
    void show_send_error(int number, const QString& description);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    TimeSource* m_clock = nullptr;
    MessageBoxes* m_boxes = nullptr;
    SettingsOpener* m_settings = nullptr;
    int m_outer_twips = 2648;
    QTimer* m_fit = nullptr;
    float m_top = 0;
    float m_left = 0;
    bool m_placing = false;
    bool m_unloaded = false;
};

// Switches a timer on without restarting a running one, or off.
void set_timer_enabled(QTimer* timer, bool enabled);
