#include "peers/OrthancFixture.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "peers/Ports.h"

namespace pelko::test {

OrthancFixture::OrthancFixture(const std::vector<RemoteModality>& modalities, std::string aet)
    : OrthancFixture(OrthancOptions{.modalities = modalities, .aet = std::move(aet)}) {}

OrthancFixture::OrthancFixture(const OrthancOptions& options) : aet_(options.aet) {
    const auto& modalities = options.modalities;
    dicomPort_ = FreePort();
    httpPort_ = FreePort();
    while (httpPort_ == dicomPort_) httpPort_ = FreePort();

    std::string nodes;
    for (const auto& m : modalities) {
        if (!nodes.empty()) nodes += ", ";
        nodes += "\"" + m.aet + "\": [\"" + m.aet + "\", \"127.0.0.1\", " + std::to_string(m.port) + "]";
    }
    const auto quoted = [](const std::string& v) { return "\"" + v + "\""; };
    std::vector<std::pair<std::string, std::string>> fields = {
        {"Name", quoted("PelkoTest")},
        {"StorageDirectory", quoted(PeerPath(dir_ / "storage"))},
        {"IndexDirectory", quoted(PeerPath(dir_ / "index"))},
        {"DicomAet", quoted(aet_)},
        {"DicomPort", std::to_string(dicomPort_)},
        {"HttpPort", std::to_string(httpPort_)},
        {"RemoteAccessAllowed", "false"},
        {"AuthenticationEnabled", "false"},
        {"DicomCheckCalledAet", options.checkCalledAet ? "true" : "false"},
        {"DicomAlwaysAllowEcho", "true"},
        {"DicomAlwaysAllowFind", "true"},
        {"DicomAlwaysAllowMove", "true"},
        {"DicomAlwaysAllowStore", "true"},
        {"DicomAssociationCloseDelay", "0"},
        {"SaveJobs", "false"},
        {"Plugins", "[]"},
        {"DicomModalities", "{" + nodes + "}"},
    };
    if (options.tls) {
        fields.insert(fields.end(),
                      {{"DicomTlsEnabled", "true"},
                       {"DicomTlsCertificate", quoted(PeerPath(options.tls->certificate))},
                       {"DicomTlsPrivateKey", quoted(PeerPath(options.tls->privateKey))},
                       {"DicomTlsTrustedCertificates", quoted(PeerPath(options.tls->trustedCertificates))},
                       {"DicomTlsRemoteCertificateRequired",
                        options.tls->remoteCertificateRequired ? "true" : "false"}});
    }
    std::string config = "{\n";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        config +=
            "  " + quoted(fields[i].first) + ": " + fields[i].second + (i + 1 < fields.size() ? ",\n" : "\n");
    }
    config += "}\n";
    WriteBytes(dir_ / "orthanc.json", config);
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/sbin/Orthanc", (dir_ / "orthanc.json").string()},
        dir_ / "orthanc.log");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        if (HttpRequest(httpPort_, "GET", "/system").status == 200) break;
        if (!process_->Running() || std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("Orthanc did not start:\n" + ReadBytes(dir_ / "orthanc.log"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

OrthancFixture::~OrthancFixture() {
    process_.reset();
}

std::string OrthancFixture::CreateInstance(const std::string& tagsJson) {
    const auto response = HttpRequest(httpPort_, "POST", "/tools/create-dicom",
                                      "{\"Force\": true, \"Tags\": " + tagsJson + "}");
    if (response.status != 200) {
        throw std::runtime_error("create-dicom failed (" + std::to_string(response.status) +
                                 "): " + response.body);
    }
    return response.body;
}

}  // namespace pelko::test
