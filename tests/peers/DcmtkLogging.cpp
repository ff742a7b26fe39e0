// DCMTK's process-wide state, set once as main() sets it; DCMTK logs
// nothing during the tests unless PELKO_DCMTK_LOG is set. Shared by the
// network and end-to-end tests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dicom/dcmtk/DcmtkToolkit.h"

namespace {

class DcmtkProcess : public ::testing::Environment {
public:
    void SetUp() override { pelko::dicom::InitializeDcmtkProcess(std::getenv("PELKO_DCMTK_LOG") != nullptr); }
};

const auto* const kDcmtkProcess = ::testing::AddGlobalTestEnvironment(new DcmtkProcess);

}  // namespace
