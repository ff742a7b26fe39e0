#include "dicom/dcmtk/TextEncoding.h"

#include <algorithm>

#include "log/Latin1.h"

namespace pelko::dicom::dcmtk {
namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// True when `utf8` is well-formed UTF-8 whose characters all lie in
// ISO 8859-1: then the Latin-1 text converts back to the same bytes.
bool FitsLatin1(std::string_view utf8) {
    return Latin1ToUtf8(Utf8ToLatin1(utf8)) == utf8;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

}  // namespace

WireCharset ChooseCharset(const std::vector<std::string_view>& utf8Values) {
    WireCharset result = WireCharset::kAscii;
    for (auto value : utf8Values) {
        if (IsAscii(value)) continue;
        if (!FitsLatin1(value)) return WireCharset::kUtf8;
        result = WireCharset::kLatin1;
    }
    return result;
}

std::string CharsetTerm(WireCharset charset) {
    switch (charset) {
        case WireCharset::kAscii:
            return "";
        case WireCharset::kLatin1:
            return "ISO_IR 100";
        case WireCharset::kUtf8:
            return "ISO_IR 192";
    }
    return "";
}

std::string EncodeText(std::string_view utf8, WireCharset charset) {
    if (charset == WireCharset::kLatin1) return Utf8ToLatin1(utf8);
    if (charset == WireCharset::kAscii && !IsAscii(utf8)) {
        std::string out = Utf8ToLatin1(utf8);
        std::replace_if(
            out.begin(), out.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
        return out;
    }
    return std::string(utf8);
}

std::optional<std::string> DecodeText(std::string_view bytes, std::string_view specificCharacterSet) {
    // Other single-byte sets and ISO 2022 code extensions are left to the
    // caller.
    const std::string_view term = Trim(specificCharacterSet);
    if (term.empty() || term == "ISO_IR 100") return Latin1ToUtf8(bytes);
    if (term == "ISO_IR 192") return std::string(bytes);
    if (term == "ISO_IR 6") {
        // Declared ASCII; bytes above 0x7F are taken as Latin-1 rather than lost.
        return IsAscii(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
    }
    return std::nullopt;
}

}  // namespace pelko::dicom::dcmtk
