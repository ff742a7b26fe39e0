// DICOM over TLS towards the archive (PS3.15 B.9, the BCP 195 profile), as
// the settings describe it. A plain value: the adapter turns it into its TLS
// layer.
#pragma once

#include <cstdint>
#include <string>

namespace pelko::dicom {

struct TlsSettings {
    bool enabled = false;
    // Our certificate and its private key (PEM, unencrypted key), for
    // archives that authenticate their clients. Both empty: an anonymous
    // client. Only one of them given is a settings error.
    std::string certificateFile;
    std::string privateKeyFile;
    // The PEM certificates that may vouch for the archive's certificate.
    std::string trustedCertificatesFile;

    bool operator==(const TlsSettings&) const = default;
};
// All paths are absolute: the settings resolve them against the program
// folder before they get here.

// Error numbers of TLS failures, next to ErrorNumber in Toolkit.h.
// The TLS handshake failed or the archive refused us over TLS: its
// certificate was not verified, it does not speak TLS, it wanted our
// certificate or did not accept it.
inline constexpr std::int32_t kErrTlsHandshake = 1009;
// The TLS settings cannot be used: a PEM file missing or unreadable, a key
// that does not match its certificate, a certificate without its key.
inline constexpr std::int32_t kErrTlsSettings = 1010;

}  // namespace pelko::dicom
