#include "peers/DcmqrscpFixture.h"

#include <stdexcept>

#include "peers/Ports.h"

namespace pelko::test {

DcmqrscpFixture::DcmqrscpFixture(const std::vector<RemoteModality>& destinations, std::string aet)
    : aet_(std::move(aet)) {
    port_ = FreePort();
    std::filesystem::create_directory(dir_ / "storage");
    std::string hosts;
    for (const auto& d : destinations) {
        hosts += d.aet + " = (" + d.aet + ", 127.0.0.1, " + std::to_string(d.port) + ")\n";
    }
    // At most 500 studies in the storage area; the oldest go beyond that.
    WriteBytes(dir_ / "dcmqrscp.cfg", "NetworkTCPPort = " + std::to_string(port_) +
                                          "\nMaxPDUSize = 16384\nMaxAssociations = 16\n\n"
                                          "HostTable BEGIN\n" +
                                          hosts +
                                          "HostTable END\n\nVendorTable BEGIN\nVendorTable END\n\n"
                                          "AETable BEGIN\n" +
                                          aet_ + " " + PeerPath(dir_ / "storage") +
                                          " RW (500, 1024mb) ANY\nAETable END\n");
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/dcmqrscp", "-c", (dir_ / "dcmqrscp.cfg").string()},
        dir_ / "dcmqrscp.log");
    if (!WaitForPort(port_, std::chrono::seconds(10))) {
        throw std::runtime_error("dcmqrscp did not start:\n" + ReadBytes(dir_ / "dcmqrscp.log"));
    }
}

DcmqrscpFixture::~DcmqrscpFixture() {
    process_.reset();
}

}  // namespace pelko::test
