// DCMTK's dcmqrscp as a second real archive: started on a free loopback
// port with an empty storage area in a temporary folder, knowing the move
// destinations given; stopped by the destructor. Seed it by C-STORE
// (StoreFolder).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "peers/ChildProcess.h"
#include "peers/OrthancFixture.h"
#include "support/TempDir.h"

namespace pelko::test {

class DcmqrscpFixture {
public:
    explicit DcmqrscpFixture(const std::vector<RemoteModality>& destinations, std::string aet = "DCMQRSCP");
    ~DcmqrscpFixture();

    int port() const { return port_; }
    const std::string& aet() const { return aet_; }

private:
    TempDir dir_;
    std::string aet_;
    int port_ = 0;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace pelko::test
