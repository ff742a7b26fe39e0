// Settings.ini: any file, then one write and a read back. The value read
// back is the one written (trimmed, one pair of outer quotes off, cut to
// 255 characters), and every line the write is not about keeps its bytes.
//
// Input: file bytes, 0x1F, section, 0x1F, key, 0x1F, value (ISO-8859-1).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/IniFile.h"
#include "fuzz/FuzzInput.h"
#include "log/Latin1.h"

namespace {

namespace fs = std::filesystem;
using pelko::config::ReadIni;
using pelko::config::WriteIni;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string Trimmed(std::string s) {
    while (!s.empty() && IsBlank(s.back())) s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && IsBlank(s[start])) ++start;
    return s.substr(start);
}

// A section or key name that a line of the file can carry: no line end,
// bracket or '=', not a comment, not empty once trimmed.
std::string Name(std::string s) {
    std::string name;
    for (char c : s) {
        if (c != '\r' && c != '\n' && c != '[' && c != ']' && c != '=' && c != '\0') name += c;
    }
    name = Trimmed(name);
    if (name.empty() || name.front() == ';') name.insert(0, "n");
    return name;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path dir = base / ("pelko-fuzz-ini-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::atexit([] { fs::remove_all(Folder()); });
        return dir;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelko::fuzz::Parts parts(data, size);
    const std::string before = parts.next();
    const std::string section = Name(parts.next());
    const std::string key = Name(parts.next());
    std::string value;
    for (char c : parts.next()) {
        if (c != '\r' && c != '\n' && c != '\0') value += c;
    }

    const fs::path file = Folder() / "Settings.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << before;
    }
    const auto utf8 = [](const std::string& latin1) { return pelko::Latin1ToUtf8(latin1); };
    (void)ReadIni(utf8(section), utf8(key), "", file);

    if (!WriteIni(utf8(section), utf8(key), utf8(value), file)) {
        if (ReadFile(file) != before) std::abort();  // a failed write leaves the file as it was
        return 0;
    }
    std::string expected = Trimmed(value);
    if (expected.size() >= 2 && (expected.front() == '"' || expected.front() == '\'') &&
        expected.back() == expected.front()) {
        expected = expected.substr(1, expected.size() - 2);
    }
    expected = expected.substr(0, 255);
    if (ReadIni(utf8(section), utf8(key), "\x01", file) != utf8(expected)) std::abort();

    // What changed lies inside one line of the old file, or is new lines
    // put in between: no line end of the old file is gone.
    const std::string after = ReadFile(file);
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string_view removed = std::string_view(before).substr(prefix, before.size() - prefix - suffix);
    if (removed.find_first_of("\r\n") != std::string_view::npos) std::abort();
    return 0;
}
