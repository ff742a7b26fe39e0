#include <windows.h>

#include "log/Clock.h"

namespace pelko {

LocalDateTime SystemClock::now() const {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    LocalDateTime out;
    out.date = std::chrono::year_month_day{std::chrono::year{t.wYear}, std::chrono::month{t.wMonth},
                                           std::chrono::day{t.wDay}};
    out.hour = t.wHour;
    out.minute = t.wMinute;
    out.second = t.wSecond;
    return out;
}

}  // namespace pelko
