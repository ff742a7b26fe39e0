#include "peers/TestCertificates.h"

#include <stdexcept>

#include "peers/ChildProcess.h"

namespace pelko::test {
namespace {

const char* const kOpenssl = "/usr/bin/openssl";

void Openssl(std::vector<std::string> args) {
    args.insert(args.begin(), kOpenssl);
    if (!RunQuietly(args)) {
        std::string line;
        for (const auto& a : args) line += a + " ";
        throw std::runtime_error("openssl failed: " + line);
    }
}

// A new key and a certificate for `subject`, self-signed or signed by `ca`.
CertificateFiles Make(const TempDir& dir, const std::string& name, const std::string& subject,
                      const std::string& extensions, const CertificateFiles* ca) {
    CertificateFiles files{(dir / (name + ".pem")).string(), (dir / (name + ".key")).string()};
    const std::string ext = (dir / (name + ".ext")).string();
    WriteBytes(ext, extensions);
    if (ca == nullptr) {
        Openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", files.privateKey, "-out",
                 files.certificate, "-days", "2", "-subj", subject, "-extensions", "v3", "-config", ext});
        return files;
    }
    const std::string csr = (dir / (name + ".csr")).string();
    Openssl({"req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", files.privateKey, "-out", csr,
             "-subj", subject, "-config", ext});
    Openssl({"x509", "-req", "-in", csr, "-CA", ca->certificate, "-CAkey", ca->privateKey, "-set_serial",
             std::to_string(std::hash<std::string>{}(name)&0xFFFFFF), "-out", files.certificate, "-days", "2",
             "-extfile", ext, "-extensions", "v3"});
    return files;
}

std::string Config(const std::string& v3) {
    return "[req]\ndistinguished_name = dn\n[dn]\n[v3]\n" + v3;
}

}  // namespace

TestCertificates::TestCertificates() {
    ca_ = Make(dir_, "ca", "/CN=Pelko Test CA",
               Config("basicConstraints = critical, CA:TRUE\nkeyUsage = critical, keyCertSign, cRLSign\n"
                      "subjectKeyIdentifier = hash\n"),
               nullptr);
    server_ = Make(dir_, "server", "/CN=127.0.0.1",
                   Config("basicConstraints = CA:FALSE\nsubjectAltName = IP:127.0.0.1\n"
                          "extendedKeyUsage = serverAuth, clientAuth\n"),
                   &ca_);
    client_ = Make(dir_, "client", "/CN=PELKO",
                   Config("basicConstraints = CA:FALSE\nextendedKeyUsage = clientAuth\n"), &ca_);
    untrusted_ = Make(dir_, "untrusted", "/CN=127.0.0.1",
                      Config("basicConstraints = CA:FALSE\nsubjectAltName = IP:127.0.0.1\n"), nullptr);
}

}  // namespace pelko::test
