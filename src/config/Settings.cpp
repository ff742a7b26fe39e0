#include "config/Settings.h"

#include <algorithm>
#include <system_error>

#include "config/IniFile.h"
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
    return ReadIni("Log", "Dicom", "0", SettingsPath(programFolder), kIniSize) == "1";
}

Settings::Settings(std::filesystem::path programFolder, AppSettings& record, ErrorReporter& errors)
    : programFolder_(std::move(programFolder)), record_(record), errors_(errors) {}

void Settings::Reload() {
    const auto file = path();
    auto read = [&](const char* section, const char* key, const char* def) {
        return ReadIni(section, key, def, file, kIniSize);
    };
    record_.LocalAET = read("Local", "AET", "");
    if (auto v = ParseBool(read("General", "Forward", "0"))) record_.UseForward = *v;
    record_.QueryAET = read("Query", "AET", "");
    record_.QueryIP = read("Query", "IP", "");
    if (auto v = ParseInt32(read("Query", "Port", "0"))) record_.QueryPort = *v;
    if (auto v = ParseBool(read("General", "Registered", "0"))) record_.UseRegistered = *v;
    record_.QueryTls = read("Query", "TLS", "0") == "1";
    auto path = [&](const char* key) {
        return ResolvePath(ReadIni("Query", key, "", file, kPathSize), programFolder_);
    };
    record_.QueryTlsCertificate = path("TLSCertificate");
    record_.QueryTlsPrivateKey = path("TLSPrivateKey");
    record_.QueryTlsTrustedCertificates = path("TLSTrustedCertificates");
}

bool Settings::ReloadOrReportMissing() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path(), ec)) {
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
