#include <chrono>
#include <ctime>

#include "log/Clock.h"

namespace pelko {

LocalDateTime SystemClock::now() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalDateTime out;
    out.date = std::chrono::year_month_day{std::chrono::year{tm.tm_year + 1900},
                                           std::chrono::month{static_cast<unsigned>(tm.tm_mon + 1)},
                                           std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(t);
    out.millisecond =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count() % 1000);
    return out;
}

}  // namespace pelko
