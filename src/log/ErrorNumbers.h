// Every error number the program logs and shows, in one registry. A failed
// DIMSE status carries no number from here: it is reported with the status
// code itself (e.g. 0xA700 = 42752).
#pragma once

#include <cstdint>

namespace pelko {

// Settings.ini is missing before a network action.
inline constexpr std::int32_t kErrSettingsMissing = 0;
// The node list: an entry without "|"; a saved mark that is not a boolean.
inline constexpr std::int32_t kErrNodeEntry = 9;
inline constexpr std::int32_t kErrSavedMark = 13;
// A file of the settings that is not a regular file, or too large to be
// one (Settings.ini, the TLS files); a value that a settings line cannot hold.
inline constexpr std::int32_t kErrSettingsRefused = 14;
// A warning only: the TLS private key can be read by every user.
inline constexpr std::int32_t kErrTlsKeyShared = 15;
// A failure that carries no number of its own.
inline constexpr std::int32_t kErrUnexpected = 1000;

namespace dicom {

// Failures of the DICOM toolkit that carry no DIMSE status.
enum ErrorNumber : std::int32_t {
    kErrNoConnection = 1001,  // TCP connection refused or unreachable host
    kErrAssociationRejected = 1002,
    kErrTimeout = 1003,
    kErrAssociationAborted = 1004,  // peer aborted or dropped the connection
    kErrNoPresentationContext = 1005,
    kErrProtocol = 1006,             // any other network/DIMSE failure
    kErrSubOperationsFailed = 1007,  // C-MOVE reported failed or warning sub-operations
    kErrInvalidArgument = 1008,
    // The TLS handshake failed or the archive refused us over TLS: its
    // certificate was not verified, it does not speak TLS, it wanted our
    // certificate or did not accept it. A handshake without an answer is
    // kErrTimeout.
    kErrTlsHandshake = 1009,
    // The TLS settings cannot be used: a PEM file missing or unreadable, a
    // key that does not match its certificate, a certificate without its key.
    kErrTlsSettings = 1010,
    // The DICOM module beside the program is missing, unreadable or of
    // another build.
    kErrToolkitModule = 1011,
    // A move ended in success, its final response counting no image at all:
    // the archive holds no images of the study.
    kErrNothingSent = 1012,
};

}  // namespace dicom
}  // namespace pelko
