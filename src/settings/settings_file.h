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

struct Position {
    float top = 0;
    qint32 left = 0;
};

struct Contents {
    std::optional<Position> position; // applied only when both values were read
    QString address = default_address;
    bool show_duration = true;
};

// Reads the fields the way the window does at start; never fails, falls back to defaults.
// `file` is empty when no file could be opened.
Contents parse(const std::optional<QByteArray>& file);

// The whole file for a window at top and left (twips), an address and the duration switch.
QByteArray format(float top, float left, const QString& address, bool show_duration);

// A single-precision number as written in the file: "1380", "-15", "1380.5".
QByteArray format_number(float value);

// The next comma- or line-delimited field; a field beginning with a double quote runs to the
// next double quote. Nothing at the end of the text.
class FieldReader {
public:
    explicit FieldReader(const QByteArray& text)
        : m_text(text)
    {
    }
    std::optional<QByteArray> next();

private:
    QByteArray m_text;
    qsizetype m_pos = 0;
};

// Conversions of a field to its type; nothing when it cannot be read as that type.
std::optional<double> to_number(const QByteArray& field);
std::optional<bool> to_boolean(const QByteArray& field);

} // namespace settings_file
