// Orthanc as a real archive for the network tests: started on free loopback
// ports with a fresh database in a temporary folder, stopped by the
// destructor.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "peers/ChildProcess.h"
#include "peers/HttpClient.h"
#include "support/TempDir.h"

namespace pelko::test {

// A DICOM node that Orthanc knows (C-MOVE destinations), on 127.0.0.1.
struct RemoteModality {
    std::string aet;
    int port = 0;
};

// DICOM TLS on Orthanc's DICOM port (it then speaks TLS only). PEM files.
struct OrthancTls {
    std::string certificate;
    std::string privateKey;
    std::string trustedCertificates;         // the certificates it accepts clients by
    bool remoteCertificateRequired = false;  // false lets anonymous clients in
};

struct OrthancOptions {
    std::vector<RemoteModality> modalities = {};
    std::string aet = "ORTHANC";
    bool checkCalledAet = false;  // true refuses associations to another AE title
    std::optional<OrthancTls> tls = std::nullopt;
};

class OrthancFixture {
public:
    explicit OrthancFixture(const std::vector<RemoteModality>& modalities = {}, std::string aet = "ORTHANC");
    explicit OrthancFixture(const OrthancOptions& options);
    ~OrthancFixture();

    int dicomPort() const { return dicomPort_; }
    int httpPort() const { return httpPort_; }
    const std::string& aet() const { return aet_; }

    // Creates one instance by POST /tools/create-dicom; `tagsJson` is the
    // JSON object of its tags (UTF-8). Checks of the UIDs are off, so the
    // test may set StudyInstanceUID. Throws std::runtime_error on failure.
    std::string CreateInstance(const std::string& tagsJson);

    HttpResponse Get(const std::string& path) const { return HttpRequest(httpPort_, "GET", path); }

    // Adds the move destination or gives it a new port (REST), for tests
    // that share an archive. Throws std::runtime_error on failure.
    void SetModality(const RemoteModality& modality);

private:
    TempDir dir_;
    std::string aet_;
    int dicomPort_ = 0;
    int httpPort_ = 0;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace pelko::test
