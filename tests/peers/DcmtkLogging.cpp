// DCMTK logs nothing during the tests unless PELKO_DCMTK_LOG is set.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dicom/dcmtk/DcmtkToolkit.h"

namespace {

class DcmtkLogging : public ::testing::Environment {
public:
    void SetUp() override { pelko::dicom::ConfigureDcmtkLogging(std::getenv("PELKO_DCMTK_LOG") != nullptr); }
};

const auto* const kDcmtkLogging = ::testing::AddGlobalTestEnvironment(new DcmtkLogging);

}  // namespace
