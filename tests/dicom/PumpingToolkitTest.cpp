#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dicom/PumpingToolkit.h"
#include "support/FakeToolkit.h"

namespace pelko::dicom {
namespace {

using namespace std::chrono_literals;

TEST(PumpingToolkitTest, SlowCallsPumpEventsAndPassResultsAndErrorsThrough) {
    test::FakeToolkit fake;
    Dataset study;
    study.setStudyInstanceUID("1.2.3");
    fake.findResult.push_back(study);
    const auto caller = std::this_thread::get_id();
    std::thread::id worker;
    fake.onMove = [&](const test::MoveCall& call) {
        worker = std::this_thread::get_id();
        std::this_thread::sleep_for(100ms);
        if (call.studyUID == "bad") throw DicomError(0xC000, "C-MOVE failed");
    };

    std::atomic<int> pumps{0};
    std::thread::id pumpThread;
    PumpingToolkit kit(fake, [&] {
        pumpThread = std::this_thread::get_id();
        ++pumps;
    }, 5ms);

    AssociationParameters peer;
    peer.host = "archive.example";
    peer.port = 104;
    peer.calledAET = "ARCHIVE";
    peer.callingAET = "US";
    peer.timeouts.moveResponseSeconds = 5;
    auto query = kit.newQueryAssociation(peer);
    query->Move("1.2.3", "DEST1");
    EXPECT_GT(pumps.load(), 5);
    EXPECT_EQ(pumpThread, caller);  // events run on the window's thread
    EXPECT_NE(worker, caller);
    ASSERT_EQ(fake.moves.size(), 1u);
    EXPECT_EQ(fake.moves[0].destination, "DEST1");
    EXPECT_EQ(fake.moves[0].peer, peer) << "the parameters reach the wrapped toolkit whole";

    try {
        query->Move("bad", "DEST1");
        FAIL() << "the failure was swallowed";
    } catch (const DicomError& e) {
        EXPECT_EQ(e.number(), 0xC000);
    }

    const DatasetList found = query->Find(Dataset());
    ASSERT_EQ(found.Count(), 1);
    EXPECT_EQ(found[0].StudyInstanceUID(), "1.2.3");
    // Both moves went over one wrapped association.
    EXPECT_EQ(fake.queryAssociations, 1);
}

TEST(PumpingToolkitTest, ReleaseRunsOffTheCallingThreadWhileEventsRun) {
    test::FakeToolkit fake;
    const auto caller = std::this_thread::get_id();
    std::vector<std::thread::id> releasedOn;
    fake.onRelease = [&] {
        releasedOn.push_back(std::this_thread::get_id());
        std::this_thread::sleep_for(50ms);
    };
    std::atomic<int> pumps{0};
    PumpingToolkit kit(fake, [&] { ++pumps; }, 5ms);

    kit.newQueryAssociation({}).reset();
    kit.newStoreAssociation({}).reset();

    ASSERT_EQ(releasedOn.size(), 2u);
    for (const auto& id : releasedOn) EXPECT_NE(id, caller);
    EXPECT_GT(pumps.load(), 2);
}

}  // namespace
}  // namespace pelko::dicom
