// Readable node rows in test failures.
#pragma once

#include <ostream>

#include "config/NodeEntryLogic.h"

namespace pelko::config {

inline void PrintTo(const NodeRow& row, std::ostream* os) {
    *os << '{' << row.alias << '|' << row.aet << '}';
}

}  // namespace pelko::config
