#include "platform/time_source.h"

#include <QDateTime>

TimeOfDay SystemTime::now() const
{
    const QDateTime t = QDateTime::currentDateTime();
    return { t.date().toJulianDay(), float(t.time().msecsSinceStartOfDay() / 1000.0) };
}
