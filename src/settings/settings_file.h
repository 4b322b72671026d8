#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text of remote.inf: three lines ending in CR LF, single-byte text:
//   1380,2280
//   "192.168.1.100"
//   #TRUE#
namespace settings_file {

inline const QString default_address = QStringLiteral("192.168.1.100");
// Longer than any host name: a longer address is cut where it is read or typed.
constexpr int max_address = 255;

// The window's outer frame in twips. The file stores the left as a whole number.
struct Position {
    float top = 0;
    float left = 0;
};

struct Contents {
    std::optional<Position> position; // read: only when both values were read; written: 0,0 if none
    QString address = default_address;
    bool show_duration = true;
};

// Reads the fields the way the window does at start; never fails, falls back to defaults.
// `file` is empty when no file could be opened.
Contents parse(const std::optional<QByteArray>& file);

// The whole file, as parse reads it back, provided the address is one the file can hold.
QByteArray format(const Contents& contents);

// The file holds single-byte text and writes the address between double quotes without
// escaping: an address with a double quote or a character beyond Latin-1 would not come back.
bool can_hold(const QString& address);

} // namespace settings_file
