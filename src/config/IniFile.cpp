#include "config/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "base/Text.h"
#include "config/FileSave.h"
#include "log/Error.h"
#include "log/ErrorNumbers.h"
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

// Calls `f` with each line of `bytes` (after the byte-order mark), split at
// CRLF, LF or CR. Each line keeps its own line end, so that untouched lines
// can be written back byte for byte. Nothing is kept between the calls: a
// file of millions of lines costs no more memory than its bytes.
template <typename F>
void ForEachLine(std::string_view bytes, F&& f) {
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
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
        f(line);
    }
}

// Where a section and key are in the file, as line numbers. Only the first
// section of the name counts, and in it only the first key of the name.
struct Location {
    std::optional<std::size_t> section;
    std::optional<std::size_t> key;
    std::size_t lastKeyLine = 0;  // the header itself when the section has no key lines
    std::size_t lines = 0;
    bool lastLineEnded = true;
};

Location Locate(std::string_view bytes, std::string_view section, std::string_view key) {
    Location where;
    bool inSection = false;
    ForEachLine(bytes, [&](const Line& line) {
        const std::size_t i = where.lines++;
        where.lastLineEnded = !line.eol.empty();
        if (line.kind == LineKind::kSection) {
            inSection = !where.section && EqualsNoCase(line.name, section);
            if (inSection) where.section = where.lastKeyLine = i;
        } else if (inSection && line.kind == LineKind::kKey) {
            where.lastKeyLine = i;
            if (!where.key && line.hasEquals && EqualsNoCase(line.name, key)) where.key = i;
        }
    });
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
    const Location where = Locate(old, section, key);
    if (!where.section) {
        std::string out(old);
        if (where.lines > 0 && !where.lastLineEnded) out.append(kNewLine);
        return out + SectionBlock(section, key, value);
    }
    std::string out(old.substr(0, old.substr(0, kBom.size()) == kBom ? kBom.size() : 0));
    out.reserve(old.size() + key.size() + value.size() + 4);
    std::size_t i = 0;
    ForEachLine(old, [&](const Line& line) {
        if (where.key == i) {
            // The replaced line is rewritten whole: the key as the file spells
            // it, without the blanks that surrounded it, then the new value.
            // Its own line end stays.
            out.append(line.name).append("=").append(value).append(line.eol);
        } else {
            out.append(line.text);
            if (!where.key && i == where.lastKeyLine) {
                out.append(line.eol.empty() ? kNewLine : line.eol);
                out.append(KeyLine(key, value));
            } else {
                out.append(line.eol);
            }
        }
        ++i;
    });
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

// --- reading: the file parsed once per change

// A file written within this time of now may be written again within the
// resolution of its time stamp, with the same size: its bytes are compared.
constexpr std::int64_t kRecentNs = 2'000'000'000;

// A section header or a key line with "=", as places in the file's bytes.
struct Entry {
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t valueOffset = 0;  // key lines: the trimmed value, quotes still on
    std::uint32_t valueLength = 0;
    bool section = false;
};

// The file as the reads need it: its bytes, its sections and key lines
// (blank lines, comments and lines without "=" take no room), and where the
// first section of each name begins.
struct ParsedIni {
    FileIdentity identity;
    std::string bytes;
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::uint32_t> firstSection;  // ASCII lower-case name
};

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::shared_ptr<const ParsedIni> Build(const FileIdentity& identity, std::string bytes) {
    auto parsed = std::make_shared<ParsedIni>();
    parsed->identity = identity;
    parsed->bytes = std::move(bytes);
    const std::string_view all = parsed->bytes;
    const auto offset = [&](std::string_view part) {
        return static_cast<std::uint32_t>(part.data() - all.data());
    };
    const auto length = [](std::string_view part) { return static_cast<std::uint32_t>(part.size()); };
    ForEachLine(all, [&](const Line& line) {
        if (line.kind == LineKind::kSection) {
            parsed->firstSection.try_emplace(LowerAscii(line.name),
                                             static_cast<std::uint32_t>(parsed->entries.size()));
            parsed->entries.push_back({offset(line.name), length(line.name), 0, 0, true});
        } else if (line.kind == LineKind::kKey && line.hasEquals) {
            // An empty value still has a place: right after the "=".
            const std::string_view value =
                line.value.data() != nullptr ? line.value : line.text.substr(line.text.size());
            parsed->entries.push_back(
                {offset(line.name), length(line.name), offset(value), length(value), false});
        }
    });
    parsed->entries.shrink_to_fit();
    return parsed;
}

std::optional<std::string_view> Lookup(const ParsedIni& parsed, std::string_view section,
                                       std::string_view key) {
    const auto first = parsed.firstSection.find(LowerAscii(section));
    if (first == parsed.firstSection.end()) return std::nullopt;
    const std::string_view all = parsed.bytes;
    for (std::size_t i = first->second + 1; i < parsed.entries.size() && !parsed.entries[i].section; ++i) {
        const Entry& e = parsed.entries[i];
        if (EqualsNoCase(all.substr(e.nameOffset, e.nameLength), key)) {
            return all.substr(e.valueOffset, e.valueLength);
        }
    }
    return std::nullopt;
}

[[noreturn]] void Refuse(const fs::path& file, const std::string& why) {
    throw Error(kErrSettingsRefused, file.filename().string() + " cannot be read: " + why);
}

// The whole file open in `in`; nullopt when a read fails. A file that is
// not a regular one (a device such as /dev/zero, a FIFO, a folder) or that
// is or grows larger than kMaxSettingsFileBytes is refused: reading it would
// never end, or take the memory of the machine.
std::optional<std::string> ReadBounded(const fs::path& file, ReadOnlyFile& in) {
    if (!in.regular()) Refuse(file, "it is not a regular file");
    const auto tooLarge = [&] {
        Refuse(file, "it is larger than " + std::to_string(kMaxSettingsFileBytes / (1024 * 1024)) + " MB");
    };
    if (in.identity().size > kMaxSettingsFileBytes) tooLarge();
    std::string bytes(static_cast<std::size_t>(in.identity().size), '\0');
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() > kMaxSettingsFileBytes) tooLarge();
            bytes.resize(std::min<std::size_t>(bytes.size() + 4096, kMaxSettingsFileBytes + 1));
        }
        const long long n = in.Read(bytes.data() + have, bytes.size() - have);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        have += static_cast<std::size_t>(n);
    }
    bytes.resize(have);
    return bytes;
}

// The file's state as last parsed, one per path. Reads come from the
// window's thread; the lock is for the odd one from elsewhere.
std::mutex cacheMutex;
std::unordered_map<std::string, std::shared_ptr<const ParsedIni>> cache;
constexpr std::size_t kCachedFiles = 8;

// The parsed file, read again only when it has changed; null when it is
// missing or cannot be read. Throws Error for a file that is refused.
std::shared_ptr<const ParsedIni> Load(const fs::path& file) {
    ReadOnlyFile in(file);
    if (!in.isOpen()) return nullptr;
    const FileIdentity& identity = in.identity();
    const bool recent = std::llabs(FileClockNowNs() - identity.modifiedNs) < kRecentNs;

    std::lock_guard lock(cacheMutex);
    const auto known = cache.find(file.string());
    const bool same = known != cache.end() && in.regular() && known->second->identity == identity;
    if (same && !recent) return known->second;
    auto bytes = ReadBounded(file, in);
    if (!bytes) return nullptr;
    if (same && known->second->bytes == *bytes) return known->second;
    if (cache.size() >= kCachedFiles) cache.clear();
    auto parsed = Build(identity, std::move(*bytes));
    cache[file.string()] = parsed;
    return parsed;
}

// The whole file, for a write: nullopt when it cannot be read.
std::optional<std::string> ReadAll(const fs::path& file) {
    ReadOnlyFile in(file);
    if (!in.isOpen()) return std::nullopt;
    return ReadBounded(file, in);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string ReadIni(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size) {
    const std::string sectionText = Utf8ToLatin1(section);
    const std::string keyText = Utf8ToLatin1(key);
    if (const auto parsed = Load(file)) {
        if (const auto value = Lookup(*parsed, Trim(sectionText), Trim(keyText))) {
            return Latin1ToUtf8(CutToSize(Unquote(*value), size));
        }
    }
    const std::string defaultText = Utf8ToLatin1(defaultValue);
    return Latin1ToUtf8(CutToSize(TrimRight(defaultText), size));
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file) {
    const std::string sectionText(Trim(Utf8ToLatin1(section)));
    const std::string keyText(Trim(Utf8ToLatin1(key)));
    const std::string valueText = Utf8ToLatin1(value);
    // A line break would end the line early and let the rest of the value
    // stand in the file as lines of its own (a section, a key).
    if (HasLineBreak(sectionText) || HasLineBreak(keyText) || HasLineBreak(valueText)) return false;

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
    std::optional<std::string> old;
    try {
        old = ReadAll(target);
    } catch (const Error&) {
        return false;  // refused: too large to be the settings
    }
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
