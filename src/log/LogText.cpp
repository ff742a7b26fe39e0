#include "log/LogText.h"

#include <cstdio>

namespace pelko {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `s`, or 0.
std::size_t SequenceLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range (RFC 3629 section 4)
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

void AppendHex(std::string& out, unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", value);
    out += buf;
}

}  // namespace

std::string LogSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size() < kLogValueLimit * 2 ? text.size() + 16 : kLogValueLimit * 2);
    std::size_t characters = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = SequenceLength(text.substr(pos));
        if (characters < kLogValueLimit) {
            const unsigned char c = static_cast<unsigned char>(text[pos]);
            if (length == 0) {
                AppendHex(out, c);
            } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[pos + 1]) < 0xA0) {
                AppendHex(out, static_cast<unsigned char>(text[pos + 1]));  // C1 control
            } else if (length > 1) {
                out.append(text.substr(pos, length));
            } else if (c == '\r') {
                out += "\\r";
            } else if (c == '\n') {
                out += "\\n";
            } else if (c == '\t') {
                out += "\\t";
            } else if (c < 0x20 || c == 0x7F) {
                AppendHex(out, c);
            } else {
                out += static_cast<char>(c);
            }
        }
        ++characters;
        pos += length == 0 ? 1 : length;
    }
    if (characters > kLogValueLimit) {
        out += "... [cut: " + std::to_string(kLogValueLimit) + " of " + std::to_string(characters) +
               " characters]";
    }
    return out;
}

}  // namespace pelko
