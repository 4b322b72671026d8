#pragma once

#include <QString>

// Rounds to the nearest whole number, an exact half to the even neighbour, and keeps the
// result within the range of a 32-bit integer.
qint32 round_half_even(double value);

// Seconds as hours, minutes and seconds, "00" each, hours unbounded: 3600 -> "01:00:00",
// -1 -> "-01:59:59".
QString format_duration(qint32 secs);
