// DICOM over TLS towards the archive (PS3.15 B.10, the non-downgrading BCP
// 195 profile), as the settings describe it. A plain value: the adapter turns
// it into its TLS layer.
#pragma once

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
// All paths are absolute: the settings resolve them against the data
// folder (the one that holds Settings.ini) before they get here.

}  // namespace pelko::dicom
