// DCMTK's storescp as a C-STORE destination: started on a free loopback
// port, writes what it receives into a temporary folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "peers/ChildProcess.h"
#include "support/TempDir.h"

namespace pelko::test {

class StoreScpFixture {
public:
    // `options` go to storescp before the port, e.g. {"--sleep-during", "1"}
    // for a destination that takes a second per image.
    explicit StoreScpFixture(std::string aet = "DEST1", const std::vector<std::string>& options = {});
    ~StoreScpFixture();

    int port() const { return port_; }
    const std::string& aet() const { return aet_; }

    // The files received so far.
    std::vector<std::filesystem::path> Files() const;
    // Polls until at least `count` files are there; false on time-out.
    bool WaitForFiles(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Study Instance UIDs of the received files.
    std::vector<std::string> StudyUIDs() const;

private:
    TempDir dir_;
    std::string aet_;
    int port_ = 0;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace pelko::test
