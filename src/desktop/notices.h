#pragma once

#include "link/link_model.h"

#include <QObject>

#include <array>

class Main;
class QDBusConnection;

// What the desktop is told, judged on each status as it arrives: only what the user did not
// cause. A notice of each kind replaces the previous one of that kind.
enum class Notice : quint8 {
    None,
    LineDropped,
    LineAndSecondDropped,
    CallFailed,
    SecondDropped,
    SecondCallFailed,
    ConnectRefused,
    HangUpRefused,
};

// Judges the statuses: the line or the second channel went down, or a call being set up ended
// without coming up, and this client had not sent Hang up (for the second channel, Singlelink
// or Hang up) since that line, channel or call came up or began. The first status after start
// or after forget() only sets the scene; a status gives one notice at the most.
class NoticeJudge {
public:
    void forget();
    void sent(qint16 command);
    Notice status(LampState line, LampState second);

private:
    LampState m_line = LampState::NoStatus;
    LampState m_second = LampState::NoStatus;
    bool m_line_by_user = false;
    bool m_second_by_user = false;
};

// Sends the notices to the desktop's notification service, never waiting for it.
class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(const QDBusConnection& bus, QObject* parent = nullptr);
    ~Notifier() override;
    // Follows the window's statuses and commands.
    void watch(Main* window);
    void notify(Notice notice, const QString& body = {});

private:
    std::unique_ptr<QDBusConnection> m_bus;
    NoticeJudge m_judge;
    std::array<quint32, 8> m_ids {};
};
