// Conversion between the program's UTF-8 text and the single-byte
// ISO-8859-1 text of Settings.ini and the logs.
#pragma once

#include <string>
#include <string_view>

namespace pelko {

// Characters outside ISO-8859-1 (and malformed UTF-8 bytes) become '?'.
std::string Utf8ToLatin1(std::string_view utf8);
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace pelko
