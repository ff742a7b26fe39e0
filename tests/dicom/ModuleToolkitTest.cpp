#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dicom/ModuleToolkit.h"
#include "support/TempDir.h"

namespace pelko::dicom {
namespace {

namespace fs = std::filesystem;

// Nothing listens on port 1 of the loopback: the connection is refused.
AssociationParameters ClosedPeer() {
    return {"127.0.0.1", 1, "ARCHIVE", "PELKO", {}, {}};
}

DicomError EchoError(ModuleToolkit& toolkit) {
    try {
        toolkit.Echo(ClosedPeer());
    } catch (const DicomError& e) {
        return e;
    }
    ADD_FAILURE() << "Echo did not fail";
    return DicomError(0, "");
}

TEST(ModuleToolkitTest, AnUnusableModuleIsAnErrorInWordsAndTheNextCallTriesAgain) {
    test::TempDir dir;
    const fs::path module = dir / kDicomModuleFile;
    std::ofstream(dir / "not-a-module.so") << "text\n";
    struct Case {
        fs::path file;
        const char* why;
    };
    for (const Case& c : {Case{module, "No such file"}, Case{dir / "not-a-module.so", "not-a-module.so"}}) {
        ModuleToolkit toolkit(c.file, nullptr);
        const DicomError error = EchoError(toolkit);
        EXPECT_EQ(error.number(), kErrToolkitModule) << c.file;
        EXPECT_NE(std::string(error.what()).find("Pelko's DICOM module " + c.file.string()),
                  std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find(c.why), std::string::npos) << error.what();
    }

    // The module put in place afterwards: the same toolkit now loads it and
    // reaches DCMTK, whose failure crosses the module as a DicomError.
    ModuleToolkit toolkit(module, nullptr);
    EXPECT_EQ(EchoError(toolkit).number(), kErrToolkitModule);
    fs::create_directories(module.parent_path());
    fs::copy_file(PELKO_DICOM_MODULE, module);
    EXPECT_EQ(EchoError(toolkit).number(), kErrNoConnection);
    EXPECT_EQ(toolkit.newUidGenerator()->NewUID().rfind("2.25.", 0), 0u);
}

}  // namespace
}  // namespace pelko::dicom
