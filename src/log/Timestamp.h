// Date and time as text in the regional general date format: the short
// date, a blank and the long time (without time zone); only the date at
// exactly midnight.
#pragma once

#include <string>

#include "log/Clock.h"

namespace pelko {

// `localeName` as "de_DE"; empty means the system's regional settings.
std::string FormatGeneralDate(const LocalDateTime& t, const std::string& localeName = {});

}  // namespace pelko
