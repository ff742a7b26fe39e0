// Local date and time, behind an interface so that tests can set the clock.
#pragma once

#include <chrono>

namespace pelko {

struct LocalDateTime {
    std::chrono::year_month_day date{};
    int hour = 0;
    int minute = 0;
    int second = 0;
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

// A fixed clock for tests and tools.
class FixedClock : public Clock {
public:
    explicit FixedClock(LocalDateTime t) : t_(t) {}
    void set(LocalDateTime t) { t_ = t; }
    LocalDateTime now() const override { return t_; }

private:
    LocalDateTime t_;
};

}  // namespace pelko
