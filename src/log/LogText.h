// Text from outside (an archive's Error Comment, the values of its
// responses) on its way into a log line or an error description: it must
// not be able to start a line of its own or pose as one of ours.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelko {

// The characters of a value that a log line carries; a longer value is cut.
inline constexpr std::size_t kLogValueLimit = 1024;

// `text` with CR, LF, tab and every other control character (C0, DEL, C1)
// written as a visible escape ("\r", "\n", "\t", "\xHH") and each byte
// that is not part of well-formed UTF-8 as "\xHH"; a backslash (the value
// separator of DICOM) stays. A text longer than kLogValueLimit characters
// keeps its first kLogValueLimit, followed by
// "... [cut: 1024 of N characters]".
std::string LogSafe(std::string_view text);

}  // namespace pelko
