#pragma once

#include <QtGlobal>

// The time of day: seconds since midnight in single precision, with their fraction, and the
// number of the day they belong to, so that periods across midnight can be counted on.
struct TimeOfDay {
    qint64 day = 0;
    float seconds = 0;
};

class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual TimeOfDay now() const = 0;
};

// The local clock.
class SystemTime : public TimeSource {
public:
    TimeOfDay now() const override;
};
