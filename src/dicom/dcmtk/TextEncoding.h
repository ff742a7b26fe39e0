// Character sets of text values on the wire (PS3.5 6.1, PS3.3 C.12.1.1.2).
// The program's texts are UTF-8; an identifier or data set that leaves the
// program is encoded in the smallest character set that holds all of its
// values, and values that arrive are decoded by their own Specific Character
// Set. Pure text functions, no DICOM library involved.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelko::dicom::dcmtk {

enum class WireCharset {
    kAscii,   // default repertoire, no (0008,0005)
    kLatin1,  // "ISO_IR 100"
    kUtf8,    // "ISO_IR 192"
};

// The character set for a set of UTF-8 values: ASCII when every byte is
// below 0x80, Latin-1 when every character is in ISO 8859-1, else UTF-8.
WireCharset ChooseCharset(const std::vector<std::string_view>& utf8Values);

// The value of Specific Character Set (0008,0005) for `charset`; "" for
// the default repertoire, which is sent without the attribute.
std::string CharsetTerm(WireCharset charset);

// `utf8` as bytes of `charset`. Characters that the charset cannot hold
// become '?' (does not happen for a charset chosen by ChooseCharset).
std::string EncodeText(std::string_view utf8, WireCharset charset);

// `bytes` in the character set named by `specificCharacterSet` (the whole
// value of (0008,0005), possibly multi-valued) as UTF-8. Handles no value
// (taken as Latin-1, which archives commonly send undeclared), ISO_IR 6,
// ISO_IR 100 and ISO_IR 192; other character sets give nullopt.
std::optional<std::string> DecodeText(std::string_view bytes, std::string_view specificCharacterSet);

}  // namespace pelko::dicom::dcmtk
