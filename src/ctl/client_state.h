#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// What the running client shows, as its control interface reports it, and the tool's ways of
// printing it: a sentence for a terminal, a short text for a status bar, a JSON object.
struct ClientState {
    bool running = false;
    QString line = QStringLiteral("unknown");
    QString secondChannel = QStringLiteral("unknown");
    uint lineSeconds = 0;
    uint secondChannelSeconds = 0;
    QString address;
    bool canConnect = false;
    bool canHangUp = false;
    bool canAddChannel = false;
    bool canDropChannel = false;

    bool operator==(const ClientState&) const = default;

    // Takes the control interface's properties found in the map (the answer of GetAll, or what
    // a PropertiesChanged carries); the others keep their values.
    void apply(const QVariantMap& properties);
    // The client has had a full status from the device since it started or its address changed.
    bool hasStatus() const;
    // Equal in all but the durations, which count every second without a signal.
    bool sameButDurations(const ClientState& other) const;

    QString text() const;
    QString sentence() const;
    QByteArray json() const;
};

// A text another program gave, kept to one line of a terminal: a line break or tab becomes a
// space, any other control character '?'.
QString printable(QString text);
