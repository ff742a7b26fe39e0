// A clock that shows what the test sets.
#pragma once

#include "log/Clock.h"

namespace pelko {

class FixedClock : public Clock {
public:
    explicit FixedClock(LocalDateTime t) : t_(t) {}
    void set(LocalDateTime t) { t_ = t; }
    LocalDateTime now() const override { return t_; }

private:
    LocalDateTime t_;
};

}  // namespace pelko
