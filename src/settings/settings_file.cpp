#include "settings/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace settings_file {

namespace {

    bool is_blank(char c) { return c == ' ' || c == '\t'; }
    bool is_line_end(char c) { return c == '\r' || c == '\n'; }

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
        const QByteArray& m_text;
        qsizetype m_pos = 0;
    };

    std::optional<QByteArray> FieldReader::next()
    {
        const qsizetype n = m_text.size();
        while (m_pos < n && is_blank(m_text[m_pos]))
            ++m_pos;
        if (m_pos >= n)
            return std::nullopt;

        QByteArray field;
        if (m_text[m_pos] == '"') {
            const qsizetype close = m_text.indexOf('"', m_pos + 1);
            const qsizetype end = close < 0 ? n : close;
            field = m_text.mid(m_pos + 1, end - m_pos - 1);
            m_pos = close < 0 ? n : close + 1;
            // Whatever stands between the closing quote and the delimiter is passed over.
            while (m_pos < n && m_text[m_pos] != ',' && !is_line_end(m_text[m_pos]))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (m_pos < n && m_text[m_pos] != ',' && !is_line_end(m_text[m_pos]))
                ++m_pos;
            field = m_text.mid(start, m_pos - start);
            while (!field.isEmpty() && is_blank(field.back()))
                field.chop(1);
        }
        // Past the delimiter: a comma or a line end, where CR LF counts as one.
        if (m_pos < n) {
            const bool crlf = m_text[m_pos] == '\r' && m_pos + 1 < n && m_text[m_pos + 1] == '\n';
            m_pos += crlf ? 2 : 1;
        }
        return field;
    }

    // A number field: decimal, with an optional period and exponent; empty reads as 0. Read
    // straight into the type it is stored as, so a written value comes back exactly.
    template <typename Number> std::optional<Number> to_number(const QByteArray& field)
    {
        QByteArray t = field.trimmed();
        if (t.isEmpty())
            return Number(0);
        if (t.startsWith('+'))
            t.remove(0, 1);
        // Decimal only: digits, an optional period, an optional exponent.
        qsizetype i = t.startsWith('-') ? 1 : 0;
        qsizetype digits = 0;
        while (i < t.size() && std::isdigit(uchar(t[i])))
            ++i, ++digits;
        if (i < t.size() && t[i] == '.') {
            ++i;
            while (i < t.size() && std::isdigit(uchar(t[i])))
                ++i, ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            ++i;
            if (i < t.size() && (t[i] == '+' || t[i] == '-'))
                ++i;
            qsizetype exp = 0;
            while (i < t.size() && std::isdigit(uchar(t[i])))
                ++i, ++exp;
            if (exp == 0)
                return std::nullopt;
        }
        if (i != t.size())
            return std::nullopt;
        Number value = 0;
        const char* end = t.constData() + t.size();
        const auto [ptr, ec] = std::from_chars(t.constData(), end, value);
        if (ec != std::errc() || ptr != end || !std::isfinite(value))
            return std::nullopt;
        return value;
    }

    // A Boolean field: the file's own words, their plain forms, or a number (non-zero is true).
    std::optional<bool> to_boolean(const QByteArray& field)
    {
        const QByteArray t = field.trimmed().toUpper();
        if (t.isEmpty() || t == "#FALSE#" || t == "FALSE")
            return false;
        if (t == "#TRUE#" || t == "TRUE")
            return true;
        if (const std::optional<double> n = to_number<double>(t))
            return *n != 0;
        return std::nullopt;
    }

    // A single-precision number as written in the file: "1380", "-15", "1380.5".
    QByteArray format_number(float value)
    {
        if (value == 0)
            return "0"; // also for -0
        char buf[64];
        const auto [ptr, ec]
            = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        if (ec != std::errc())
            return "0";
        return QByteArray(buf, ptr - buf);
    }

} // namespace

Contents parse(const std::optional<QByteArray>& file)
{
    Contents c;
    if (!file)
        return c;
    FieldReader reader(*file);

    // Stage 1: the position, both values or none. The first is taken as it stands: only its
    // conversion to a number can fail (a byte-order mark, a word), and then the window keeps
    // its place while the address and switch are still read.
    const std::optional<QByteArray> f1 = reader.next();
    const std::optional<QByteArray> f2 = f1 ? reader.next() : std::nullopt;
    if (!f2)
        return c;
    const std::optional<float> top = to_number<float>(*f1);
    const std::optional<double> left = to_number<double>(*f2);
    if (!left)
        return c;
    const double left_rounded = std::nearbyint(*left);
    if (left_rounded < double(std::numeric_limits<qint32>::min())
        || left_rounded > double(std::numeric_limits<qint32>::max()))
        return c;

    // Stage 2: address and switch; what was read before a failure is kept.
    if (const std::optional<QByteArray> address = reader.next()) {
        c.address = QString::fromLatin1(address->left(max_address));
        if (const std::optional<QByteArray> sw = reader.next()) {
            if (const std::optional<bool> b = to_boolean(*sw))
                c.show_duration = *b;
        }
    }
    if (top)
        c.position = Position { *top, float(qint32(left_rounded)) };
    return c;
}

bool can_hold(const QString& address)
{
    return std::all_of(address.begin(), address.end(),
        [](QChar ch) { return ch.unicode() <= 0xff && ch != QLatin1Char('"'); });
}

QByteArray format(const Contents& c)
{
    const Position at = c.position.value_or(Position {});
    QByteArray out;
    out += format_number(at.top) + ',' + format_number(at.left) + "\r\n";
    out += '"' + c.address.toLatin1() + "\"\r\n";
    out += c.show_duration ? "#TRUE#\r\n" : "#FALSE#\r\n";
    return out;
}

} // namespace settings_file
