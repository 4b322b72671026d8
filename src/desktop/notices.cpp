// Notices of what the user did not cause, through org.freedesktop.Notifications.

#include "desktop/notices.h"

#include "desktop/names.h"
#include "main/main_window.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

bool began(LampState was, LampState is)
{
    return is != was && (is == LampState::Lit || is == LampState::SettingUp);
}

struct Text {
    const char* summary;
    const char* body;
};

const Text texts[] = {
    { "", "" },
    { "Line down", "The line went down: the far end hung up or the line failed." },
    { "Line down",
        "The line and the second channel went down: the far end hung up or the line "
        "failed." },
    { "Call failed", "The call was not set up: the line is down." },
    { "Second channel down", "The second channel went down; the line is still up." },
    { "Second channel failed", "The second channel's call was not set up." },
    { "Not connected", "" },
    { "Not hung up", "" },
};

} // namespace

void NoticeJudge::forget() { *this = NoticeJudge(); }

void NoticeJudge::sent(qint16 command)
{
    if (command == wire::cmd_hang_up)
        m_line_by_user = m_second_by_user = true;
    else if (command == wire::cmd_singlelink)
        m_second_by_user = true;
}

Notice NoticeJudge::status(LampState line, LampState second)
{
    const bool line_down = m_line == LampState::Lit && line != LampState::Lit;
    const bool call_failed = m_line == LampState::SettingUp && line == LampState::Unlit;
    const bool second_ended = (m_second == LampState::Lit && second != LampState::Lit)
        || (m_second == LampState::SettingUp && second == LampState::Unlit);
    // After no status (start, a new address) nothing was up or being set up: no news.
    const bool line_news = !m_line_by_user;
    const bool second_news = !m_second_by_user && second_ended;
    Notice notice = Notice::None;
    if (line_news && line_down)
        notice = second_news ? Notice::LineAndSecondDropped : Notice::LineDropped;
    else if (line_news && call_failed)
        notice = Notice::CallFailed;
    else if (second_news)
        notice = m_second == LampState::Lit ? Notice::SecondDropped : Notice::SecondCallFailed;
    if (began(m_line, line))
        m_line_by_user = false;
    if (began(m_second, second))
        m_second_by_user = false;
    m_line = line;
    m_second = second;
    return notice;
}

Notifier::Notifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::make_unique<QDBusConnection>(bus))
{
}

Notifier::~Notifier() = default;

void Notifier::watch(Main* window)
{
    QObject::connect(window, &Main::command_sent, this, [this](qint16 c) { m_judge.sent(c); });
    QObject::connect(window, &Main::shown_changed, this, [this, window] {
        if (window->line_state() == LampState::NoStatus)
            m_judge.forget();
    });
    QObject::connect(window, &Main::status_handled, this,
        [this, window] { notify(m_judge.status(window->line_state(), window->second_state())); });
}

void Notifier::notify(Notice notice, const QString& body)
{
    if (notice == Notice::None)
        return;
    const size_t kind = size_t(notice);
    QDBusMessage call
        = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString entry = QLatin1String(bus_names::service);
    call << QStringLiteral("Tembrill Connect") << m_ids[kind] << entry
         << QString::fromLatin1(texts[kind].summary)
         << (body.isEmpty() ? QString::fromLatin1(texts[kind].body) : body) << QStringList()
         << QVariantMap { { QStringLiteral("desktop-entry"), entry } } << qint32(-1);
    // Asynchronous: with no notification service the call fails and nothing else happens.
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call), this);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, kind](QDBusPendingCallWatcher* w) {
            const QDBusPendingReply<quint32> reply = *w;
            if (reply.isValid())
                m_ids[kind] = reply.value();
            w->deleteLater();
        });
}
