// Local date and time, behind an interface so that tests can set the clock.
#pragma once

#include <chrono>

namespace pelko {

struct LocalDateTime {
    std::chrono::year_month_day date{};
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;  // only the DICOM log shows it
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime now() const override;
};

}  // namespace pelko
