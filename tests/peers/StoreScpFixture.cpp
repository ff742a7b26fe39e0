#include "peers/StoreScpFixture.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "peers/Ports.h"
#include "peers/TestScp.h"

namespace pelko::test {

StoreScpFixture::StoreScpFixture(std::string aet, const std::vector<std::string>& options)
    : aet_(std::move(aet)) {
    port_ = FreePort();
    std::filesystem::create_directory(dir_ / "in");
    std::vector<std::string> command{"/usr/bin/storescp", "-aet", aet_, "-od", (dir_ / "in").string()};
    command.insert(command.end(), options.begin(), options.end());
    command.push_back(std::to_string(port_));
    process_ = std::make_unique<ChildProcess>(command, dir_ / "storescp.log");
    if (!WaitForPort(port_, std::chrono::seconds(10))) {
        throw std::runtime_error("storescp did not start:\n" + ReadBytes(dir_ / "storescp.log"));
    }
}

StoreScpFixture::~StoreScpFixture() {
    process_.reset();
}

std::vector<std::filesystem::path> StoreScpFixture::Files() const {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "in", ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool StoreScpFixture::WaitForFiles(std::size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Files().size() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::vector<std::string> StoreScpFixture::StudyUIDs() const {
    std::vector<std::string> uids;
    for (const auto& file : Files()) {
        const WireDataset ds = ReadDicomFile(file);
        if (const auto* e = ds.Find({0x0020, 0x000D})) uids.push_back(e->value);
    }
    return uids;
}

}  // namespace pelko::test
