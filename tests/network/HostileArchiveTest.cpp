// What an archive of ill will can send, against the adapter and TestScp:
// nothing forged, nothing misrouted, nothing without end or bound.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>

#include "log/DicomLog.h"
#include "network/NetworkSupport.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

// DCMTK's network log goes to the sink of the last toolkit made, from
// every thread (TestScp's too) and for the rest of the process.
struct Lines : DicomLog {
    std::mutex mutex;
    std::string all;
    void Write(std::string_view line) override {
        std::lock_guard lock(mutex);
        all.append(line).append("\x1E");
    }
};

struct Always : dicom::FindObserver {  // a close request at once
    bool CancelRequested() const override { return true; }
};

struct HostileCase {
    const char* name;
    std::function<void(TestScpBehaviour&, dicom::AssociationParameters&)> set;
    std::function<void(dicom::QueryAssociation&)> run;
    std::int32_t number;  // of the DicomError; 0: none
    std::string says;     // in its description
    bool onTheWire;       // a request reached the archive
};

const auto kFind = [](dicom::QueryAssociation& q) { q.Find(ReturnKeys()); };
const auto kCut = [](dicom::QueryAssociation& q) {
    const Always close;
    const auto results = q.Find(ReturnKeys(), &close);
    EXPECT_TRUE(results.cut());
};

class HostileArchiveTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileArchiveTest, EndsAsItShould) {
    const HostileCase& c = GetParam();
    TestScpBehaviour b;
    b.matches = 3;
    dicom::AssociationParameters peer = PeerAt(0, b.aet);
    c.set(b, peer);
    TestScp scp(b);
    peer.port = scp.port();
    static Lines log;
    log.all.clear();
    const auto started = std::chrono::steady_clock::now();
    auto query = dicom::MakeDcmtkToolkit(&log)->newQueryAssociation(peer);
    try {
        c.run(*query);
        EXPECT_EQ(c.number, 0);
    } catch (const dicom::DicomError& e) {
        EXPECT_EQ(e.number(), c.number) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find('\r'), std::string::npos);
    }
    query.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    const auto record = scp.Record();
    EXPECT_EQ(record.findIdentifiers.size() + record.moves.size() > 0, c.onTheWire);
    std::lock_guard lock(log.mutex);
    EXPECT_EQ(log.all.find('\r'), std::string::npos) << log.all;
}

INSTANTIATE_TEST_SUITE_P(
    , HostileArchiveTest,
    testing::Values(
        HostileCase{"LongDestination", [](auto&, auto&) {},
                    [](auto& q) { q.Move("1.2.3", "VIEWER_RADIOLOGY_2"); }, dicom::kErrInvalidArgument,
                    "destination AE title \"VIEWER_RADIOLOGY_2\" is 18 characters long", false},
        HostileCase{"LongLocalTitle", [](auto&, auto& p) { p.callingAET = "WORKSTATION_WARD_7"; }, kFind,
                    dicom::kErrInvalidArgument, "own AE title \"WORKSTATION_WARD_7\" is 18", false},
        HostileCase{"ArchiveTitleWithBackslash", [](auto&, auto& p) { p.calledAET = "PACS\\2"; }, kFind,
                    dicom::kErrInvalidArgument, "contains a backslash", false},
        HostileCase{"ForgedErrorComment",
                    [](auto& b, auto&) {
                        b.moveStatus = 0xA801;
                        b.moveErrorComment =
                            "Refused.\r\n01.01.2026 10:00:00 - 0 - Sending was successful - Send";
                    },
                    [](auto& q) { q.Move("1.2.3", "VIEWER1"); }, 0xA801,
                    "Refused.\\r\\n01.01.2026 10:00:00 - 0 - Sending", true},
        HostileCase{"PendingWithoutIdentifier",
                    [](auto& b, auto&) {
                        b.matches = 5000;
                        b.answerWithoutIdentifier = true;
                    },
                    [](auto& q) { EXPECT_TRUE(q.Find(ReturnKeys()).cut()); }, 0, "", true},
        HostileCase{"CloseDuringAFindThatNeverEnds",
                    [](auto& b, auto&) {
                        b.matches = 100000;
                        b.answerWithoutIdentifier = true;
                        b.cancel = CancelMode::kIgnore;
                    },
                    kCut, 0, "", true},
        HostileCase{"SlowerThanTheSearchTimeout",
                    [](auto& b, auto& p) {
                        b.matches = 100;
                        b.answerDelay = std::chrono::milliseconds(300);
                        p.timeouts.searchSeconds = 1;
                    },
                    kFind, dicom::kErrTimeout, "within the search time-out of 1 s", true},
        HostileCase{"ResponseOver64KB", [](auto& b, auto&) { b.answerPatientName.assign(70 * 1024, 'A'); },
                    kFind, dicom::kErrProtocol, "larger than 64 KB", true},
        HostileCase{"ResponseJustUnder64KB",
                    [](auto& b, auto&) { b.answerPatientName.assign(63 * 1024, 'A'); },
                    [](auto& q) { EXPECT_EQ(q.Find(ReturnKeys()).Count(), 3); }, 0, "", true}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelko::test
