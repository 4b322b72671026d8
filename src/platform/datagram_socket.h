#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A socket error: a number and a description, as the datagram socket reports it.
struct SocketError {
    int number = 0;
    QString description;
};
Q_DECLARE_METATYPE(SocketError)

// The datagram socket component of the main window: UDP, local and remote port 9118.
// The window sets the remote host, sends whole datagrams and reads the pending one when
// DataArrival fires. Failures of a send are thrown as SocketError; other failures of the
// socket arrive as the Error event.
class DatagramSocket : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setRemoteHost(const QString& host) = 0;
    // Sends one datagram to the remote host and port; throws SocketError when it fails at once.
    // A send that has to wait for a name lookup reports a later failure through SendFailed.
    virtual void sendData(const QByteArray& data) = 0;
    // The datagram that the last DataArrival announced, whole.
    virtual QByteArray getData() = 0;

signals:
    void DataArrival(qint32 bytesTotal);
    void Error(qint16 number, const QString& description, qint32 scode, const QString& source,
        const QString& helpFile, qint32 helpContext, bool* cancelDisplay);
    void SendFailed(const SocketError& error);
};
