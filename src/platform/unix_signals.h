#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the event loop: the handler only writes
// the signal's number to a socket pair, whose other end a notifier reads.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

signals:
    void received(int signal);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};
