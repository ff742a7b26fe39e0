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

    auto query = kit.newQueryAssociation();
    query->setPort(104);
    query->setCalledAET("ARCHIVE");
    query->setMoveDestination("DEST1");
    query->setStudyUID("1.2.3");
    query->Move();
    EXPECT_GT(pumps.load(), 5);
    EXPECT_EQ(pumpThread, caller);  // events run on the window's thread
    EXPECT_NE(worker, caller);
    ASSERT_EQ(fake.moves.size(), 1u);
    EXPECT_EQ(fake.moves[0].destination, "DEST1");
    EXPECT_EQ(fake.moves[0].calledAET, "ARCHIVE");
    EXPECT_EQ(fake.moves[0].port, 104);

    query->setStudyUID("bad");
    try {
        query->Move();
        FAIL() << "the failure was swallowed";
    } catch (const DicomError& e) {
        EXPECT_EQ(e.number(), 0xC000);
    }

    const DatasetList found = query->Find(query->Request());
    ASSERT_EQ(found.Count(), 1);
    EXPECT_EQ(found[0].StudyInstanceUID(), "1.2.3");
    // Both moves went over one wrapped association.
    EXPECT_EQ(fake.queryAssociations, 1);
}

}  // namespace
}  // namespace pelko::dicom
