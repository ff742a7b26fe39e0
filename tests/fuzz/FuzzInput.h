// Splits a fuzzer's input into the parts a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelko::fuzz {

// The input read part by part: each part ends at the separator byte or at
// the end of the input.
class Parts {
public:
    Parts(const std::uint8_t* data, std::size_t size, char separator = '\x1F')
        : rest_(reinterpret_cast<const char*>(data), size), separator_(separator) {}

    std::string next() {
        const std::size_t end = rest_.find(separator_);
        std::string part(rest_.substr(0, end));
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        return part;
    }
    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

private:
    std::string_view rest_;
    char separator_;
};

}  // namespace pelko::fuzz
