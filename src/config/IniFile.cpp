#include "config/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "base/Text.h"
#include "config/FileSave.h"
#include "log/Latin1.h"

namespace pelko::config {
namespace {

namespace fs = std::filesystem;

// A UTF-8 byte-order mark left by an editor. It is skipped on reading (the
// first section would otherwise be unreadable) and kept on writing.
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Every line this code adds ends like this, whatever the rest of the file uses.
constexpr std::string_view kNewLine = "\r\n";

enum class LineKind { kBlank, kComment, kSection, kKey };

// One line of the file, as views into the file's bytes.
struct Line {
    std::string_view text;  // without its line end
    std::string_view eol;   // "\r\n", "\n", "\r", or "" on a last line without one
    LineKind kind = LineKind::kBlank;
    std::string_view name;   // section name or key, trimmed as it is matched
    std::string_view value;  // key lines: the value, trimmed, quotes still on
    bool hasEquals = false;  // key lines: a line without '=' never matches a key
};

void Classify(Line& line) {
    const std::string_view t = Trim(line.text);
    if (t.empty()) {
        line.kind = LineKind::kBlank;
    } else if (t.front() == '[') {
        // The name ends at the first ']'; a header without one runs to the end of the line.
        line.kind = LineKind::kSection;
        std::string_view inner = t.substr(1);
        inner = inner.substr(0, inner.find(']'));
        line.name = Trim(inner);
    } else if (t.front() == ';') {
        line.kind = LineKind::kComment;
    } else {
        line.kind = LineKind::kKey;
        const std::size_t eq = t.find('=');
        line.hasEquals = eq != std::string_view::npos;
        line.name = line.hasEquals ? TrimRight(t.substr(0, eq)) : t;
        line.value = line.hasEquals ? TrimLeft(t.substr(eq + 1)) : std::string_view{};
    }
}

struct ParsedFile {
    std::string_view bom;  // the byte-order mark, or ""
    std::vector<Line> lines;
};

// Splits bytes into lines at CRLF, LF or CR, remembering each line end so
// that untouched lines can be written back byte for byte.
ParsedFile Parse(std::string_view bytes) {
    ParsedFile parsed;
    if (bytes.substr(0, kBom.size()) == kBom) {
        parsed.bom = bytes.substr(0, kBom.size());
        bytes.remove_prefix(kBom.size());
    }
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        Line line;
        const std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
            const std::size_t eolLength = crlf ? 2 : 1;
            line.text = bytes.substr(pos, end - pos);
            line.eol = bytes.substr(end, eolLength);
            pos = end + eolLength;
        }
        Classify(line);
        parsed.lines.push_back(line);
    }
    return parsed;
}

// Where a section and key are in the file. Only the first section of the
// name counts, and in it only the first key of the name.
struct Location {
    std::optional<std::size_t> section;
    std::optional<std::size_t> key;
    std::size_t lastKeyLine = 0;  // the header itself when the section has no key lines
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::kSection && EqualsNoCase(lines[i].name, section)) {
            where.section = i;
            break;
        }
    }
    if (!where.section) return where;
    where.lastKeyLine = *where.section;
    for (std::size_t i = *where.section + 1; i < lines.size() && lines[i].kind != LineKind::kSection; ++i) {
        if (lines[i].kind != LineKind::kKey) continue;
        where.lastKeyLine = i;
        if (!where.key && lines[i].hasEquals && EqualsNoCase(lines[i].name, key)) where.key = i;
    }
    return where;
}

// One pair of like quotes around the whole value goes; the blanks inside stay.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view CutToSize(std::string_view text, int size) {
    const std::size_t limit = size > 0 ? static_cast<std::size_t>(size) - 1 : 0;
    return text.substr(0, std::min(limit, text.size()));
}

std::optional<std::string> ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.append(key).append("=").append(value).append(kNewLine);
    return line;
}

std::string SectionBlock(std::string_view section, std::string_view key, std::string_view value) {
    std::string block;
    block.append("[").append(section).append("]").append(kNewLine);
    return block + KeyLine(key, value);
}

// The file's new text: one line replaced, one key line inserted, or one
// section appended. Every other byte is copied as it was.
std::string Rewrite(std::string_view old, std::string_view section, std::string_view key,
                    std::string_view value) {
    const ParsedFile parsed = Parse(old);
    const Location where = Locate(parsed.lines, section, key);
    if (!where.section) {
        std::string out(old);
        if (!parsed.lines.empty() && parsed.lines.back().eol.empty()) out.append(kNewLine);
        return out + SectionBlock(section, key, value);
    }
    std::string out(parsed.bom);
    out.reserve(old.size() + key.size() + value.size() + 4);
    for (std::size_t i = 0; i < parsed.lines.size(); ++i) {
        const Line& line = parsed.lines[i];
        if (where.key == i) {
            // The replaced line is rewritten whole: the key as the file spells
            // it, without the blanks that surrounded it, then the new value.
            // Its own line end stays.
            out.append(line.name).append("=").append(value).append(line.eol);
            continue;
        }
        out.append(line.text);
        if (!where.key && i == where.lastKeyLine) {
            out.append(line.eol.empty() ? kNewLine : line.eol);
            out.append(KeyLine(key, value));
        } else {
            out.append(line.eol);
        }
    }
    return out;
}

// A save writes "<name>.<pid>-<8 hex digits>.tmp" next to the file and
// renames it over the file. The process id in the name tells a later start
// whether the writer may still be running.
constexpr std::string_view kTempEnd = ".tmp";
constexpr auto kLeftoverAge = std::chrono::minutes(1);

// The process id of a temporary file of `name` ("Settings.ini"), if `entry`
// is one.
std::optional<long> TempFileWriter(std::string_view entry, std::string_view name) {
    if (entry.size() <= name.size() + 1 + kTempEnd.size() || !entry.starts_with(name) ||
        entry[name.size()] != '.' || !entry.ends_with(kTempEnd)) {
        return std::nullopt;
    }
    const std::string_view middle =
        entry.substr(name.size() + 1, entry.size() - name.size() - 1 - kTempEnd.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 10 || middle.size() - dash - 1 != 8) {
        return std::nullopt;
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isHex = [&](char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); };
    const std::string_view pid = middle.substr(0, dash);
    if (!std::all_of(pid.begin(), pid.end(), isDigit) ||
        !std::all_of(middle.begin() + static_cast<std::ptrdiff_t>(dash) + 1, middle.end(), isHex)) {
        return std::nullopt;
    }
    return std::stol(std::string(pid));
}

// The next name for a temporary file of target in its folder.
fs::path TempName(const fs::path& target) {
    static thread_local std::random_device random;
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%ld-%08x.tmp", CurrentProcessId(),
                  static_cast<unsigned>(random()));
    fs::path temp = target;
    temp += suffix;
    return temp;
}

bool ReplaceFile(const fs::path& target, std::string_view bytes, const FileFacts* previous) {
    return ReplaceFileWith(target, bytes, previous, [&target] { return TempName(target); });
}

}  // namespace

std::string ReadIni(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size) {
    const std::string sectionText = Utf8ToLatin1(section);
    const std::string keyText = Utf8ToLatin1(key);
    if (const auto bytes = ReadAll(file)) {
        const ParsedFile parsed = Parse(*bytes);
        const Location where = Locate(parsed.lines, Trim(sectionText), Trim(keyText));
        if (where.key) return Latin1ToUtf8(CutToSize(Unquote(parsed.lines[*where.key].value), size));
    }
    const std::string defaultText = Utf8ToLatin1(defaultValue);
    return Latin1ToUtf8(CutToSize(TrimRight(defaultText), size));
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file) {
    const std::string sectionText(Trim(Utf8ToLatin1(section)));
    const std::string keyText(Trim(Utf8ToLatin1(key)));
    const std::string valueText = Utf8ToLatin1(value);

    // A link to the settings stays a link: the file it points to is replaced.
    std::error_code ec;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        target = fs::canonical(file, ec);
        if (ec) return false;
    }
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) return false;

    FileFacts info;
    if (!ExamineFile(target, info)) return false;
    if (!info.exists) return ReplaceFile(target, SectionBlock(sectionText, keyText, valueText), nullptr);
    if (!info.regular || !info.writable) return false;
    const auto old = ReadAll(target);
    if (!old) return false;
    const std::string updated = Rewrite(*old, sectionText, keyText, valueText);
    if (updated == *old) return true;
    return ReplaceFile(target, updated, &info);
}

void RemoveLeftoverTempFiles(const std::filesystem::path& file) {
    std::error_code ec;
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const std::string name = PathText(file.filename());
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto writer = TempFileWriter(PathText(it->path().filename()), name);
        if (!writer || !it->is_regular_file(ec)) continue;
        // A process of that id still runs here (or is another user's): the
        // save may be under way.
        if (*writer <= 0 || ProcessMayRun(*writer)) continue;
        // The folder may be shared with other computers, whose process ids
        // mean nothing here: a file written to within the last minute may
        // still be one of their saves, which take well under a second.
        const auto written = it->last_write_time(ec);
        if (ec || now - written < kLeftoverAge) continue;
        fs::remove(it->path(), ec);
    }
}

}  // namespace pelko::config
