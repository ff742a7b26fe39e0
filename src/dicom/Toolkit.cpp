#include "dicom/Toolkit.h"

#include <algorithm>
#include <array>
#include <random>

namespace pelko::dicom {

void AttributeList::Add(std::uint16_t group, std::uint16_t element, std::string value) {
    const Tag tag{group, element};
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Attribute& a) { return a.tag == tag; });
    if (it != items_.end()) {
        it->value = std::move(value);
    } else {
        items_.push_back({tag, std::move(value)});
    }
}

std::string AttributeList::Item(std::uint16_t group, std::uint16_t element) const {
    const Tag tag{group, element};
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Attribute& a) { return a.tag == tag; });
    return it == items_.end() ? std::string() : it->value;
}

bool AttributeList::Contains(Tag tag) const {
    return std::any_of(items_.begin(), items_.end(), [&](const Attribute& a) { return a.tag == tag; });
}

std::string NewUuidDerivedUid() {
    std::random_device rd;
    std::array<std::uint32_t, 4> words{};
    for (auto& w : words) w = rd();
    // RFC 4122 version 4, variant 1.
    words[1] = (words[1] & 0xFFFF0FFFu) | 0x00004000u;
    words[2] = (words[2] & 0x3FFFFFFFu) | 0x80000000u;

    // 128-bit big-endian number to decimal by repeated division.
    std::string digits;
    auto isZero = [&] { return std::all_of(words.begin(), words.end(), [](auto w) { return w == 0; }); };
    while (!isZero()) {
        std::uint64_t rem = 0;
        for (auto& w : words) {
            const std::uint64_t cur = (rem << 32) | w;
            w = static_cast<std::uint32_t>(cur / 10);
            rem = cur % 10;
        }
        digits.push_back(static_cast<char>('0' + rem));
    }
    if (digits.empty()) digits = "0";
    std::reverse(digits.begin(), digits.end());
    return "2.25." + digits;
}

}  // namespace pelko::dicom
