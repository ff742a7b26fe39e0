// What an archive of ill will can send, against the adapter and TestScp:
// nothing forged, nothing misrouted, nothing without end or bound.
#include <gtest/gtest.h>

#include "network/NetworkSupport.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

struct CloseAtOnce : dicom::FindObserver {
    bool CancelRequested() const override { return true; }
};
enum class Act { kFind, kFindClosed, kMove };

struct HostileCase {
    const char* name;
    TestScpBehaviour archive;
    std::string ourAet, archiveAet, destination;
    int searchSeconds;
    Act act;
    std::int32_t number;  // of the DicomError; 0: none, and a list cut short
    std::string says;     // in its description
    bool onTheWire;       // a request reached the archive
};

TestScpBehaviour Archive(int matches, bool noIdentifier, int delayMs = 0, std::size_t nameBytes = 8,
                         std::uint16_t moveStatus = 0, std::string comment = {}) {
    TestScpBehaviour b;
    b.matches = matches;
    b.answerWithoutIdentifier = noIdentifier;
    b.answerDelay = std::chrono::milliseconds(delayMs);
    b.answerPatientName.assign(nameBytes, 'A');
    b.moveStatus = moveStatus;
    b.moveErrorComment = std::move(comment);
    b.cancel = noIdentifier && matches > 10000 ? CancelMode::kIgnore : CancelMode::kHonour;
    return b;
}

class HostileArchiveTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileArchiveTest, EndsAsItShould) {
    const HostileCase& c = GetParam();
    TestScp scp(c.archive);
    dicom::AssociationParameters peer = PeerAt(scp.port(), c.archiveAet);
    peer.callingAET = c.ourAet;
    peer.timeouts.searchSeconds = c.searchSeconds;
    const auto started = std::chrono::steady_clock::now();
    auto query = dicom::MakeDcmtkToolkit()->newQueryAssociation(peer);
    const CloseAtOnce close;
    try {
        if (c.act == Act::kMove) query->Move("1.2.3", c.destination);
        if (c.act != Act::kMove) {
            EXPECT_TRUE(query->Find(ReturnKeys(), c.act == Act::kFindClosed ? &close : nullptr).cut());
        }
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
}

const std::string kForged = "Refused.\r\n01.01.2026 10:00:00 - 0 - Sending was successful - Send";
constexpr auto kInvalid = dicom::kErrInvalidArgument;

INSTANTIATE_TEST_SUITE_P(
    , HostileArchiveTest,
    testing::Values(HostileCase{"LongDestination", Archive(0, false), "PELKO", "TESTSCP",
                                "VIEWER_RADIOLOGY_2", 120, Act::kMove, kInvalid,
                                "destination AE title \"VIEWER_RADIOLOGY_2\" is 18 characters long", false},
                    HostileCase{"LongLocalTitle", Archive(0, false), "WORKSTATION_WARD_7", "TESTSCP", "", 120,
                                Act::kFind, kInvalid, "own AE title \"WORKSTATION_WARD_7\" is 18", false},
                    HostileCase{"ArchiveTitleWithBackslash", Archive(0, false), "PELKO", "PACS\\2", "", 120,
                                Act::kFind, kInvalid, "contains a backslash", false},
                    HostileCase{"ForgedErrorComment", Archive(0, false, 0, 8, 0xA801, kForged), "PELKO",
                                "TESTSCP", "VIEWER1", 120, Act::kMove, 0xA801,
                                "Refused.\\r\\n01.01.2026 10:00:00 - 0 - Sending", true},
                    HostileCase{"PendingWithoutIdentifier", Archive(5000, true), "PELKO", "TESTSCP", "", 120,
                                Act::kFind, 0, "", true},
                    HostileCase{"CloseDuringAFindThatNeverEnds", Archive(100000, true), "PELKO", "TESTSCP",
                                "", 120, Act::kFindClosed, 0, "", true},
                    HostileCase{"SlowerThanTheSearchTimeout", Archive(100, false, 300), "PELKO", "TESTSCP",
                                "", 1, Act::kFind, dicom::kErrTimeout, "within the search time-out of 1 s",
                                true},
                    HostileCase{"ResponseOver64KB", Archive(3, false, 0, 70 * 1024), "PELKO", "TESTSCP", "",
                                120, Act::kFind, dicom::kErrProtocol, "larger than 64 KB", true}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelko::test
