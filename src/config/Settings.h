// Settings.ini in one place: every key the program reads or writes, with
// its section, its default and its conversion, read and written here and
// nowhere else. The file's syntax rules are IniFile's.
//
//   [Local]   AET                      our AE title
//   [Query]   AET, IP, Port            the archive
//   [Query]   SearchTimeout            seconds a search may take in all (1 to 86400, default 120)
//   [Query]   TLS, TLSCertificate,     DICOM over TLS to the archive ("1" on)
//             TLSPrivateKey,           and its PEM files, relative to the
//             TLSTrustedCertificates   folder of Settings.ini
//   [General] Forward, Registered      the two options
//   [Forward] Node0 ... Node100        "alias|AE title", up to the first empty
//   [Active]  0 ... 7                  the node marks of the last close
//   [Size]    SearchHeight             the window height in twips
//   [Log]     Dicom                    "1": the DICOM log (Logs/Dicom.log), read at start
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/AppSettings.h"

namespace pelko {
class ErrorReporter;
}

namespace pelko::config {

// What the settings dialog's Save writes, as typed.
struct SettingsValues {
    std::vector<NodeEntry> nodes;
    std::string localAET;
    std::string queryAET;
    std::string queryIP;
    std::string queryPort;
    bool useForward = false;
    bool registered = false;
};

// A saved mark as the file holds it: its text, and its value when the text
// is a boolean.
struct SavedMark {
    std::string text;
    std::optional<bool> value;
};

inline constexpr int kDefaultSearchHeightTwips = 10000;

// [Log] Dicom of <program folder>/Settings.ini: on for "1" only, off when
// absent or anything else. The dialog never writes it.
bool DicomLogWanted(const std::filesystem::path& programFolder);

class Settings {
public:
    Settings(std::filesystem::path programFolder, AppSettings& record, ErrorReporter& errors);

    std::filesystem::path path() const { return SettingsPath(programFolder_); }
    AppSettings& record() { return record_; }

    // Reloads LocalAET, UseForward, QueryAET, QueryIP, QueryPort,
    // UseRegistered and the TLS fields, each on its own: a number or option
    // that does not convert leaves its field as it was (TLS is on for "1"
    // and off for anything else). Never reports anything.
    void Reload();
    // Guards every network action: true after Reload when Settings.ini
    // exists; otherwise logs "Settings.ini is not available" (label
    // "CheckInI"), shows the see-the-log message and returns false.
    bool ReloadOrReportMissing();

    // [Forward] Node<n>; "" when missing.
    std::string ReadNodeEntry(int node) const;
    // [Active] <slot>; "0" when missing.
    SavedMark ReadSavedMark(int slot) const;
    // False when the write could not be done.
    [[nodiscard]] bool WriteSavedMark(int slot, bool marked);
    // [Size] SearchHeight; nullopt when it is no number.
    std::optional<std::int32_t> ReadSearchHeight() const;
    [[nodiscard]] bool WriteSearchHeight(int twips);

    // Writes every value of the settings dialog, nodes first and then an
    // empty entry that ends the list (longer lists saved before stay behind
    // it, unread), then Local, Query and General. Each key is tried even
    // when an earlier one failed; false when any failed. Once all are
    // written, the record takes the node list and the two options at once;
    // after a failure it stays as it was.
    [[nodiscard]] bool Save(const SettingsValues& values);

private:
    // Error.log is told when the TLS private key can be read by every user
    // of the computer: once per key file, not at every reload.
    void WarnIfKeyShared();

    std::filesystem::path programFolder_;
    AppSettings& record_;
    ErrorReporter& errors_;
    std::string warnedKey_;
};

}  // namespace pelko::config
