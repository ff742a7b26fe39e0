// The administrator's DICOM log: what a search and a send write into it.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "log/DicomLog.h"
#include "network/NetworkSupport.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

class MemoryLog : public DicomLog {
public:
    void Write(std::string_view line) override {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    // The first line that holds every one of `parts`, or "".
    std::string Find(std::initializer_list<std::string> parts) const {
        std::lock_guard lock(mutex_);
        for (const auto& line : lines_) {
            bool all = true;
            for (const auto& p : parts) all = all && line.find(p) != std::string::npos;
            if (all) return line;
        }
        return "";
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST(DicomLog, HoldsTheAssociationsTheOperationsAndDcmtksNetworkLog) {
    TestScpBehaviour b;
    b.matches = 2;
    b.moveCompleted = 3;
    TestScp scp(b);
    MemoryLog log;
    {
        const auto kit = dicom::MakeDcmtkToolkit(&log);
        const auto query = kit->newQueryAssociation(PeerAt(scp.port(), scp.aet()));
        dicom::Dataset keys = ReturnKeys();
        keys.setPatientName("Doe*");
        query->Find(keys);
        query->Move("1.2.3", "DEST9");
    }
    dicom::RouteDcmtkNetworkLog(nullptr);

    const std::string peer = "TESTSCP (127.0.0.1:" + std::to_string(scp.port()) + ")";
    const std::string association = "Association from PELKO to " + peer;
    EXPECT_NE(log.Find({association + " requested, no TLS"}), "");
    EXPECT_NE(log.Find({association + " accepted, no TLS; presentation contexts: ",
                        "FINDStudyRootQueryRetrieveInformationModel in LittleEndianExplicit"}),
              "");
    EXPECT_NE(log.Find({"C-FIND on " + peer + ": identifier ", "(0010,0010)=Doe*", "(0008,0052)=STUDY"}), "");
    EXPECT_NE(log.Find({"C-FIND on " + peer + ": status 0x0000 (Success), 2 matches, ", " s"}), "");
    EXPECT_NE(log.Find({"C-MOVE of study 1.2.3 to DEST9 on " + peer +
                        ": status 0x0000 (Success), 3 completed, 0 failed, 0 warning, "}),
              "");
    EXPECT_NE(log.Find({association + " released"}), "");
    EXPECT_NE(log.Find({"DCMTK INFO: "}), "") << "DCMTK's own network log";
}

}  // namespace
}  // namespace pelko::test
