#include <ctime>

#include "log/Clock.h"

namespace pelko {

LocalDateTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalDateTime out;
    out.date = std::chrono::year_month_day{std::chrono::year{tm.tm_year + 1900},
                                           std::chrono::month{static_cast<unsigned>(tm.tm_mon + 1)},
                                           std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return out;
}

}  // namespace pelko
