#include "fakes.h"

#include "main/lamp_view.h"

#include "platform/regular_file.h"
#include "settings/globals.h"

#include <QAccessible>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// What only the window shows: layout, place and width, the model on the widgets, the settings
// button, commands and error boxes, and remote.inf at start and close.
class tst_main : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void start_data();
    void start();
    void widgets_follow_the_model_data();
    void widgets_follow_the_model();
    void settings_button_data();
    void settings_button();
    void commands_data();
    void commands();
    void timers_and_socket_error();
    void files_data();
    void files();
    void working_directory_deleted();
    void roots_link_followed_for_a_user();
    void told_on_stderr_data();
    void told_on_stderr();
};

namespace {

// A lamp judged by its pixels: red, lit (bright green) or unlit (dark).
QString colour(const LampView* lamp)
{
    const QImage image = lamp->pixmap().toImage();
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    if (c.red() > c.green() + 60)
        return "red";
    return c.green() > 120 ? "lit" : "unlit";
}

QString heard(QWidget* w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

// What the widgets show, an entry "name: value" a field of the display.
QStringList widgets(const Main& m)
{
    const auto yes = [](bool on) { return QString(on ? "true" : "false"); };
    return { "connected: " + colour(m.connected), "multilinked: " + colour(m.multilinked),
        "connected heard: " + heard(m.connected), "multilinked heard: " + heard(m.multilinked),
        "connect: " + m.connect->text(), "multilink: " + m.multilink->text(),
        "connect enabled: " + yes(m.connect->isEnabled()),
        "multilink enabled: " + yes(m.multilink->isEnabled()),
        "multilink_time shown: " + yes(!m.multilink_time->isHidden()),
        "online_time: " + m.online_time->text(), "multilink_time: " + m.multilink_time->text(),
        "Timer1: " + yes(m.Timer1->isActive()), "Timer2: " + yes(m.Timer2->isActive()),
        "Timer3: " + yes(m.Timer3->isActive()) };
}

// A display in which the fields of each pair differ: a change check that compares a field with
// its partner fails.
const LinkDisplay base { .connected = Lamp::Lit,
    .line = LampState::NoStatus,
    .second = LampState::SettingUp,
    .connect_caption = "Hang up",
    .multilink_enabled = false,
    .online_text = "00:00:01",
    .Timer1 = true,
    .Timer3 = true };

// The base display with one field changed.
LinkDisplay changed(const std::function<void(LinkDisplay&)>& change)
{
    LinkDisplay d = base;
    change(d);
    return d;
}

using ButtonMember = QPushButton* Main::*;

} // namespace

Q_DECLARE_METATYPE(LinkDisplay)
Q_DECLARE_METATYPE(ButtonMember)

void tst_main::layout()
{
    Rig rig;
    Main& m = *rig.main;
    // Pictures are drawn for their size at the screen's pixel ratio (run at 1 and 2).
    const QPixmap shown = m.connected->pixmap();
    QCOMPARE(shown.devicePixelRatio(), m.devicePixelRatioF());
    QCOMPARE(shown.width(), qRound(m.connected->width() * m.devicePixelRatioF()));
    // Every caption fits its control at the chosen font (run at 96 and 144 dpi).
    for (const char* text : { "Connect", "Hang up", "Multilink", "Singlelink" })
        QVERIFY2(m.connect->fontMetrics().horizontalAdvance(text) <= m.connect->width() - 4, text);
    QVERIFY(m.online_time->fontMetrics().horizontalAdvance("00:00:00") <= m.online_time->width());
    if (m.logicalDpiX() != 96)
        return;
    // At 96 dpi, 15 twips a pixel; edges are rounded to the nearest pixel.
    const QList<std::pair<QWidget*, QRect>> rects { { m.CallOption, { 0, 0, 10, 37 } },
        { m.connect, { 56, 1, 57, 17 } }, { m.multilink, { 56, 17, 57, 17 } },
        { m.connected, { 37, 1, 16, 16 } }, { m.multilinked, { 37, 17, 16, 16 } },
        { m.online_time, { 120, 3, 49, 17 } }, { m.multilink_time, { 120, 19, 49, 17 } },
        { m.Image3, { 8, 0, 32, 32 } } };
    for (const auto& [widget, rect] : rects)
        QCOMPARE(widget->geometry(), rect);
    QCOMPARE(m.height(), 38);
    QCOMPARE(heard(m.Image3), QString("Tembrill Connect"));
    // The lamps lie over the logo's edge, on top of it.
    QCOMPARE(m.childAt(m.connected->pos()), m.connected);
    QCOMPARE(m.childAt(m.multilinked->pos()), m.multilinked);
    // Blink, poll and duration timers, never early.
    QCOMPARE(m.Timer1->interval(), 100);
    QCOMPARE(m.Timer2->interval(), 1000);
    QCOMPARE(m.Timer3->interval(), 500);
    for (const QTimer* timer : { m.Timer1, m.Timer2, m.Timer3 })
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
}

void tst_main::start_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: none
    QTest::addColumn<QPoint>("at"); // client position in pixels
    QTest::addColumn<int>("outer"); // outer width in twips
    QTest::newRow("no file") << QByteArray() << QPoint(94, 92) << 2648;
    QTest::newRow("stored, narrow")
        << QByteArray("1500,3000,h,#FALSE#") << QPoint(200, 100) << 1815;
    QTest::newRow("partly on screen") << QByteArray("-300,-1500,h") << QPoint(-100, -20) << 2648;
    QTest::newRow("off every screen") << QByteArray("900000,900000,h") << QPoint(94, 92) << 2648;
}

void tst_main::start()
{
    QFETCH(QByteArray, file);
    QFETCH(QPoint, at);
    QFETCH(int, outer);
    Rig rig(file);
    Main& m = *rig.main;
    QCOMPARE(m.pos(), at);
    m.show(); // the width is fitted to the frame once the window manager's moves have settled
    QTRY_VERIFY(std::abs(m.outer_width_twips() - outer) <= 15);
    // Narrow: the duration labels lie beyond the client area; wide: inside it.
    QCOMPARE(m.online_time->geometry().right() < m.width(), outer == 2648);
}

void tst_main::widgets_follow_the_model_data()
{
    QTest::addColumn<LinkDisplay>("display"); // the base display with one field changed
    QTest::addColumn<QString>("shown"); // the one widget that changes
    using D = LinkDisplay;
    QTest::newRow("connected") << changed([](D& d) { d.connected = Lamp::Unlit; })
                               << "connected: unlit";
    QTest::newRow("multilinked") << changed([](D& d) { d.multilinked = Lamp::Lit; })
                                 << "multilinked: lit";
    QTest::newRow("line") << changed([](D& d) { d.line = LampState::SettingUp; })
                          << "connected heard: Line call being set up";
    QTest::newRow("second") << changed([](D& d) { d.second = LampState::NoStatus; })
                            << "multilinked heard: Second channel no status yet";
    QTest::newRow("connect_caption")
        << changed([](D& d) { d.connect_caption = "Multilink"; }) << "connect: Multilink";
    QTest::newRow("multilink_caption")
        << changed([](D& d) { d.multilink_caption = "Hang up"; }) << "multilink: Hang up";
    QTest::newRow("connect_enabled")
        << changed([](D& d) { d.connect_enabled = false; }) << "connect enabled: false";
    QTest::newRow("multilink_enabled")
        << changed([](D& d) { d.multilink_enabled = true; }) << "multilink enabled: true";
    QTest::newRow("multilink_time_visible")
        << changed([](D& d) { d.multilink_time_visible = false; }) << "multilink_time shown: false";
    QTest::newRow("online_text") << changed([](D& d) { d.online_text = "00:00:00"; })
                                 << "online_time: 00:00:00";
    QTest::newRow("multilink_text")
        << changed([](D& d) { d.multilink_text = "00:00:01"; }) << "multilink_time: 00:00:01";
    QTest::newRow("Timer1") << changed([](D& d) { d.Timer1 = false; }) << "Timer1: false";
    QTest::newRow("Timer2") << changed([](D& d) { d.Timer2 = true; }) << "Timer2: true";
    QTest::newRow("Timer3") << changed([](D& d) { d.Timer3 = false; }) << "Timer3: false";
}

void tst_main::widgets_follow_the_model()
{
    QFETCH(LinkDisplay, display);
    QFETCH(QString, shown);
    Rig rig;
    Main& m = *rig.main;
    m.model.display = base;
    m.show_link();
    QStringList expected = widgets(m);
    for (QString& entry : expected) {
        if (entry.section(": ", 0, 0) == shown.section(": ", 0, 0))
            entry = shown;
    }
    m.model.display = display;
    m.show_link();
    QCOMPARE(widgets(m), expected);
}

void tst_main::settings_button_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("readdressed"); // lamps red and polling again
    QTest::newRow("OK, case changed") << true << "box.local" << true << true;
    QTest::newRow("OK, only the switch") << true << "Box.local" << false << false;
    QTest::newRow("Abbrechen") << false << "other" << false << false;
}

void tst_main::settings_button()
{
    QFETCH(bool, ok);
    QFETCH(QString, address);
    QFETCH(bool, show);
    QFETCH(bool, readdressed);
    Rig rig("0,0\r\n\"Box.local\"\r\n#TRUE#\r\n");
    Main& m = *rig.main;
    const int wide = m.width();
    rig.socket.deliver("fefe1515");
    m.Timer2_Timer();
    rig.settings.answer = [&] {
        Globals::ip_address = address;
        Globals::show_duration = show;
        return ok;
    };
    m.CallOption->click();
    QStringList hosts { "Box.local" };
    if (readdressed)
        hosts << address;
    QCOMPARE(rig.socket.hosts, hosts);
    QCOMPARE(colour(m.connected), readdressed ? "red" : "lit");
    QCOMPARE(m.Timer2->isActive(), readdressed);
    QCOMPARE(m.width() < wide, ok && !show); // the width follows the switch at once
    QCOMPARE(m.connect->text(), QString("Hang up")); // the rest waits for the new device
}

void tst_main::commands_data()
{
    QTest::addColumn<ButtonMember>("button");
    QTest::addColumn<QTestEventList>("events"); // the user's, on the button
    QTest::addColumn<int>("failure"); // of the send; 0: none
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("box");
    QTestEventList click;
    click.addMouseClick(Qt::LeftButton);
    QTestEventList enter;
    enter.addKeyClick(Qt::Key_Return);
    QTestEventList key;
    key.addKeyClick(Qt::Key_A);
    QTest::newRow("connect") << &Main::connect << click << 0 << QByteArray("ffff020200") << "";
    QTest::newRow("Enter on multilink")
        << &Main::multilink << enter << 0 << QByteArray("ffff040400") << "";
    QTest::newRow("another key on multilink") << &Main::multilink << key << 0 << QByteArray() << "";
    QTest::newRow("send error, negative")
        << &Main::connect << click << -5 << QByteArray() << "Error sending data:\r-5: unreachable";
    QTest::newRow("send error 126") << &Main::connect << click << 126 << QByteArray() << "";
}

void tst_main::commands()
{
    QFETCH(ButtonMember, button);
    QFETCH(QTestEventList, events);
    QFETCH(int, failure);
    QFETCH(QByteArray, sent);
    QFETCH(QString, box);
    Rig rig;
    Main& m = *rig.main;
    if (failure)
        rig.socket.fail = SocketError { failure, "unreachable" };
    events.simulate(m.*button);
    QCOMPARE(rig.socket.sent.value(0).toHex(), sent);
    QCOMPARE(rig.boxes.shown.join('+'), box);
}

void tst_main::timers_and_socket_error()
{
    // Ticks as the timers give them: a poll; the second channel's lamp blinking on; the line's
    // duration.
    Rig rig;
    Main& m = *rig.main;
    QMetaObject::invokeMethod(m.Timer2, "timeout");
    QCOMPARE(rig.socket.sent, QList<QByteArray>({ QByteArray::fromHex("ffff010100") }));
    rig.socket.deliver("fdfd0303"); // line up, the second channel's call being set up
    rig.clock.t.seconds += 61;
    QMetaObject::invokeMethod(m.Timer1, "timeout");
    QMetaObject::invokeMethod(m.Timer3, "timeout");
    QCOMPARE(colour(m.multilinked), QString("lit"));
    QCOMPARE(m.online_time->text(), QString("00:01:01"));
    bool cancel = false;
    emit rig.socket.Error(10048, "unreachable", 0, "", "", 0, &cancel);
    QCOMPARE(rig.boxes.shown, QStringList({ "unreachable" }));
}

void tst_main::files_data()
{
    // d/remote.inf holds the old settings; a command in the temporary folder then prepares the
    // case. The close writes new ones, as nobody where `as_nobody`.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("needs_root"); // the setup gives files away or mounts
    QTest::addColumn<bool>("as_nobody");
    QTest::addColumn<QString>("read"); // the address read at start
    QTest::addColumn<QString>("why"); // the reason in the box at close; empty: no box
    QTest::addColumn<QString>("target"); // where the settings are after the close, through links...
    QTest::addColumn<QByteArray>("after"); // ...and what stands there
    const QByteArray old = "1,2\r\n\"old\"\r\n#TRUE#\r\n";
    const QByteArray written = "1380,2280.4\r\n\"new\"\r\n#FALSE#\r\n";
    const QString file = "d/remote.inf";
    QTest::newRow("a user's file, written by root")
        << "chown 65534:65534 d/remote.inf" << true << false << "old"
        << "" << file << written;
    QTest::newRow("read-only directory, writable file") << "chmod 555 d" << false << true << "old"
                                                        << "" << file << written;
    QTest::newRow("read-only folder and file, nothing changed")
        << "printf '1380,2280.4\\r\\n\"new\"\\r\\n#FALSE#\\r\\n' >d/remote.inf && chmod 444 "
           "d/remote.inf && chmod 555 d"
        << false << true << "new"
        << "" << file << written;
    QTest::newRow("full disk") << "mv d/remote.inf . && mount -t tmpfs -o size=16k tmpfs d && "
                                  "mv remote.inf d && chmod 777 d && ! cat /dev/zero >d/filler"
                               << true << false << "old"
                               << "No space left on device" << file << old;
    QTest::newRow("the user's links, relative and absolute")
        << "mkdir dots && mv d/remote.inf dots/inf && ln -s \"$PWD/dots/inf\" dots/link && "
           "ln -s ../dots/link d/remote.inf"
        << false << false << "old"
        << ""
        << "dots/inf" << written;
    QTest::newRow("a link to a missing file")
        << "rm d/remote.inf && ln -s new.inf d/remote.inf" << false << false << "192.168.1.100"
        << ""
        << "d/new.inf" << written;
    QTest::newRow("another user's link")
        << "mv d/remote.inf d/other && ln -s other d/remote.inf && chown -h 65534 d/remote.inf"
        << true << false << "192.168.1.100"
        << "a link that belongs to another user"
        << "d/other" << old;
    QTest::newRow("a loop") << "rm d/remote.inf && ln -s remote.inf d/remote.inf" << false << false
                            << "192.168.1.100"
                            << "Too many levels of symbolic links" << file << QByteArray();
    QTest::newRow("a pipe") << "rm d/remote.inf && mkfifo d/remote.inf" << false << false
                            << "192.168.1.100"
                            << "not a regular file" << file << QByteArray();
}

void tst_main::files()
{
    QFETCH(QString, setup);
    QFETCH(bool, needs_root);
    QFETCH(bool, as_nobody);
    QFETCH(QString, read);
    QFETCH(QString, why);
    QFETCH(QString, target);
    QFETCH(QByteArray, after);
    if ((needs_root || as_nobody) && geteuid() != 0)
        QSKIP("giving files away, mounting and acting as nobody need root");
    QTemporaryDir tmp;
    const QString d = tmp.filePath("d");
    const QString prepare = R"(cd %1 && chmod 711 . && mkdir -m 777 d && chmod 777 d &&
        printf '1,2\r\n"old"\r\n#TRUE#\r\n' >d/remote.inf && chmod 666 d/remote.inf && %2)";
    QCOMPARE(QProcess::execute("sh", { "-c", prepare.arg(tmp.path(), setup) }), 0);
    Rig rig({}, d);
    Main& m = *rig.main;
    QCOMPARE(Globals::ip_address, read);
    Globals::ip_address = "new";
    Globals::show_duration = false;
    m.set_position(1380, 2280.4f);
    QTemporaryDir elsewhere; // the file stays where it was when the window loaded
    QDir::setCurrent(elsewhere.path());
    const QFileInfo before(tmp.filePath(target));
    const auto kept = std::pair(before.ownerId(), before.permissions());
    if (as_nobody)
        setfsuid(65534);
    QSignalSpy ended(&m, &Main::unloaded);
    m.close();
    setfsuid(geteuid());
    const QByteArray now = regular_file::read(tmp.filePath(target), 100).value_or("");
    const QFileInfo info(tmp.filePath(target));
    const uint owned_by = info.ownerId();
    const QFile::Permissions mode = info.permissions();
    QProcess::execute("sh", { "-c", "umount " + d + " 2>/dev/null; chmod -R u+rwx " + tmp.path() });
    QCOMPARE(ended.size(), 1); // the window closes all the same
    QCOMPARE(rig.boxes.shown.join('|'),
        why.isEmpty() ? QString() : "Settings not saved to " + d + "/remote.inf:\n" + why);
    QCOMPARE(now, after);
    if (target == "d/new.inf") // a new file is for its user alone
        QCOMPARE(mode, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    else // an old one keeps its owner and mode
        QCOMPARE(std::pair(owned_by, mode), kept);
}

void tst_main::working_directory_deleted()
{
    // No folder, no file: the defaults, and a box that says so at close; nothing written
    // elsewhere.
    QTemporaryDir tmp;
    QDir::setCurrent(tmp.path());
    QVERIFY(QDir::current().rmdir(tmp.path()));
    Rig rig({}, tmp.path());
    QCOMPARE(Globals::ip_address, "192.168.1.100");
    rig.main->close();
    QCOMPARE(rig.boxes.shown,
        QStringList("Settings not saved to remote.inf:\nNo such file or directory"));
    QVERIFY(!QFile::exists("/remote.inf"));
}

void tst_main::roots_link_followed_for_a_user()
{
    // A link that root put in place (a system's own) is followed for any user; as root, a
    // child that becomes nobody reads through it.
    if (geteuid() != 0)
        QSKIP("becoming another user needs root");
    QTemporaryDir tmp;
    const QString link = tmp.filePath("remote.inf");
    const QString setup = "cd %1 && chmod 711 . && printf x >inf && ln -s inf remote.inf";
    QCOMPARE(QProcess::execute("sh", { "-c", setup.arg(tmp.path()) }), 0);
    const pid_t child = fork();
    if (child == 0)
        _exit(setresuid(65534, 65534, 65534) == 0 && regular_file::read(link, 10) == "x" ? 0 : 1);
    int status = 1;
    waitpid(child, &status, 0);
    QCOMPARE(status, 0);
}

void tst_main::told_on_stderr_data()
{
    // A read-only remote.inf: where no one may read a box, one line on standard error a run.
    QTest::addColumn<int>("checkpoints"); // failed session saves before the stop
    QTest::addColumn<bool>("signal"); // a signal ends it; else the display goes away
    QTest::newRow("the display gone") << 0 << false;
    QTest::newRow("two checkpoints, then a signal") << 2 << true;
}

void tst_main::told_on_stderr()
{
    QFETCH(int, checkpoints);
    QFETCH(bool, signal);
    Rig rig("1,2\r\n\"old\"\r\n#TRUE#\r\n");
    const QString file = rig.dir.filePath("remote.inf");
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
    Globals::ip_address = "new";
    QSignalSpy ended(&*rig.main, &Main::unloaded);
    for (int i = 0; i < checkpoints; ++i)
        QVERIFY(!rig.main->save_settings());
    QCOMPARE(ended.size(), 0); // a checkpoint keeps the window
    if (signal)
        rig.main->end_session();
    else
        rig.main->unload();
    QCOMPARE(ended.size(), int(signal));
    QCOMPARE(rig.boxes.printed,
        QStringList("tembrill-connect: settings not saved to " + file + ": the file is read-only"));
    QVERIFY(rig.boxes.shown.isEmpty());
}

QTEST_MAIN(tst_main)
#include "tst_main.moc"
