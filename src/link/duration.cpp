#include "link/duration.h"

#include <cmath>
#include <limits>

qint32 round_half_even(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value); // the default rounding mode ties to even
    if (r >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (r <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(r);
}

static QString two_digits(qint64 n)
{
    const QString digits = QString::number(n < 0 ? -n : n).rightJustified(2, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

QString format_duration(qint32 secs)
{
    const qint64 hours = qint64(std::floor(secs / 3600.0));
    const qint64 rest = secs - hours * 3600;
    const qint64 minutes = qint64(std::floor(rest / 60.0));
    const qint64 seconds = rest - minutes * 60;
    return two_digits(hours) + QLatin1Char(':') + two_digits(minutes) + QLatin1Char(':')
        + two_digits(seconds);
}
