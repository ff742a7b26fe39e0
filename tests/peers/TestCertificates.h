// Certificates for DICOM over TLS tests, made by the openssl command in a
// temporary folder: a CA, a server certificate for 127.0.0.1 and a client
// certificate signed by it, and a self-signed certificate nobody trusts.
#pragma once

#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace pelko::test {

struct CertificateFiles {
    std::string certificate;  // PEM
    std::string privateKey;   // PEM, unencrypted
};

class TestCertificates {
public:
    // Throws std::runtime_error when openssl fails.
    TestCertificates();

    const std::string& caCertificate() const { return ca_.certificate; }
    // CN=127.0.0.1, subjectAltName IP:127.0.0.1, signed by the CA.
    const CertificateFiles& server() const { return server_; }
    // CN=PELKO, signed by the CA.
    const CertificateFiles& client() const { return client_; }
    // Self-signed, CN=127.0.0.1 with subjectAltName IP:127.0.0.1.
    const CertificateFiles& untrusted() const { return untrusted_; }

    std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }

private:
    TempDir dir_;
    CertificateFiles ca_, server_, client_, untrusted_;
};

}  // namespace pelko::test
