#include "config/Settings.h"

#include <algorithm>
#include <system_error>

#include "base/LocalFiles.h"
#include "config/IniFile.h"
#include "log/Error.h"
#include "log/ErrorNumbers.h"
#include "log/ErrorReport.h"

namespace pelko::config {
namespace {

std::string NodeKey(int node) {
    return "Node" + std::to_string(node);
}

// File paths are read up to 4095 characters, not cut to 255 like the other
// values: a path cut short would name another file.
constexpr int kPathSize = 4096;

}  // namespace

bool DicomLogWanted(const std::filesystem::path& programFolder) {
    try {
        return ReadIni("Log", "Dicom", "0", SettingsPath(programFolder), kIniSize) == "1";
    } catch (const Error&) {
        return false;  // a refused file switches nothing on
    }
}

Settings::Settings(std::filesystem::path programFolder, AppSettings& record, ErrorReporter& errors)
    : programFolder_(std::move(programFolder)), record_(record), errors_(errors) {}

void Settings::Reload() {
    const auto file = path();
    // Each field on its own: a read that fails (a refused file) leaves it.
    auto read = [&](const char* section, const char* key, const char* def, int size = kIniSize) {
        return ReadIni(section, key, def, file, size);
    };
    SkipOnFailure([&] { record_.LocalAET = read("Local", "AET", ""); });
    SkipOnFailure([&] {
        if (auto v = ParseBool(read("General", "Forward", "0"))) record_.UseForward = *v;
    });
    SkipOnFailure([&] { record_.QueryAET = read("Query", "AET", ""); });
    SkipOnFailure([&] { record_.QueryIP = read("Query", "IP", ""); });
    SkipOnFailure([&] {
        if (auto v = ParseInt32(read("Query", "Port", "0"))) record_.QueryPort = *v;
    });
    SkipOnFailure([&] {
        if (auto v = ParseBool(read("General", "Registered", "0"))) record_.UseRegistered = *v;
    });
    SkipOnFailure([&] {
        const auto seconds = ParseInt32(read("Query", "SearchTimeout", ""));
        record_.SearchTimeoutSeconds =
            seconds && *seconds >= kMinSearchTimeoutSeconds && *seconds <= kMaxSearchTimeoutSeconds
                ? *seconds
                : kDefaultSearchTimeoutSeconds;
    });
    SkipOnFailure([&] { record_.QueryTls = read("Query", "TLS", "0") == "1"; });
    auto path = [&](std::string& field, const char* key) {
        SkipOnFailure([&] { field = ResolvePath(read("Query", key, "", kPathSize), programFolder_); });
    };
    path(record_.QueryTlsCertificate, "TLSCertificate");
    path(record_.QueryTlsPrivateKey, "TLSPrivateKey");
    path(record_.QueryTlsTrustedCertificates, "TLSTrustedCertificates");
    WarnIfKeyShared();
}

void Settings::WarnIfKeyShared() {
    const std::string& key = record_.QueryTlsPrivateKey;
    if (!record_.QueryTls || key.empty() || !files::ReadableByAll(key)) {
        warnedKey_.clear();
        return;
    }
    if (key == warnedKey_) return;  // once, until it changes
    warnedKey_ = key;
    errors_.log(kErrTlsKeyShared,
                "The TLS private key " + key +
                    " can be read by every user of this computer; allow only the owner and a group",
                "CheckInI");
}

bool Settings::ReloadOrReportMissing() {
    std::error_code ec;
    if (std::filesystem::exists(path(), ec)) {
        try {
            // Refused files (not regular, too large) say so here, once.
            ReadIni("Local", "AET", "", path(), kIniSize);
        } catch (const Error& refused) {
            errors_.report(Report::LogThenSeeLog, refused.number(), refused.what(), "CheckInI");
            return false;
        }
        Reload();
        return true;
    }
    errors_.report(Report::LogThenSeeLog, kErrSettingsMissing, "Settings.ini is not available", "CheckInI");
    return false;
}

std::string Settings::ReadNodeEntry(int node) const {
    return ReadIni("Forward", NodeKey(node), "", path(), kIniSize);
}

SavedMark Settings::ReadSavedMark(int slot) const {
    SavedMark mark;
    mark.text = ReadIni("Active", std::to_string(slot), "0", path(), kIniSize);
    mark.value = ParseBool(mark.text);
    return mark;
}

bool Settings::WriteSavedMark(int slot, bool marked) {
    return WriteIni("Active", std::to_string(slot), marked ? "1" : "0", path());
}

std::optional<std::int32_t> Settings::ReadSearchHeight() const {
    return ParseInt32(
        ReadIni("Size", "SearchHeight", std::to_string(kDefaultSearchHeightTwips), path(), kIniSize));
}

bool Settings::WriteSearchHeight(int twips) {
    return WriteIni("Size", "SearchHeight", std::to_string(twips), path());
}

bool Settings::Save(const SettingsValues& values) {
    const auto file = path();
    bool written = true;
    auto write = [&](const char* section, const std::string& key, const std::string& value) {
        written = WriteIni(section, key, value, file) && written;
    };

    // The list never grows past NodeList (the dialog refuses a full list);
    // the bound keeps the slots below in range all the same.
    const std::size_t count = std::min<std::size_t>(values.nodes.size(), kMaxNodes);
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < count; ++i) {
        entries.push_back(FormatNodeEntry(values.nodes[i]));
        write("Forward", NodeKey(static_cast<int>(i)), entries.back());
    }
    write("Forward", NodeKey(static_cast<int>(count)), "");
    write("Local", "AET", values.localAET);
    write("Query", "AET", values.queryAET);
    write("Query", "IP", values.queryIP);
    write("Query", "Port", values.queryPort);
    write("General", "Forward", values.useForward ? "1" : "0");
    write("General", "Registered", values.registered ? "1" : "0");
    if (!written) return false;

    // NodeList ends where the file's list ends, so that a shortened list
    // does not bring its old tail back before the node buttons re-read it.
    std::copy(entries.begin(), entries.end(), record_.NodeList.begin());
    if (count < record_.NodeList.size()) record_.NodeList[count].clear();
    record_.UseForward = values.useForward;
    record_.UseRegistered = values.registered;
    return true;
}

}  // namespace pelko::config
