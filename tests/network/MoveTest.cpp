// C-MOVE of the adapter against TestScp: the request on the wire, one kept
// association for several studies, and every final outcome that must not
// pass as success.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <vector>

#include "network/NetworkSupport.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

using dicom::DicomError;

TEST(Move, SeveralStudiesGoOverOneAssociationInOrder) {
    TestScp scp;
    {
        auto query = NewQuery(scp.port(), scp.aet());
        for (const char* uid : {"1.2.3.1", "1.2.3.2", "1.2.3.3"}) query->Move(uid, "DEST9");
        EXPECT_EQ(scp.Record().ended(), 0) << "association kept between moves";
    }
    ASSERT_TRUE(scp.WaitForEnded(1));
    const auto record = scp.Record();
    EXPECT_EQ(record.associations, 1);
    EXPECT_EQ(record.released, 1);
    ASSERT_EQ(record.moves.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(record.moves[i].destination, "DEST9");
        EXPECT_EQ(record.moves[i].level, "STUDY");
        EXPECT_EQ(record.moves[i].studyUID, "1.2.3." + std::to_string(i + 1));
    }
}

struct MoveFailureCase {
    std::string name;
    std::uint16_t status;
    std::uint16_t completed, failed, warning;
    std::string errorComment;
    std::int32_t number;
    std::string statusPart;  // part of the words
};
void PrintTo(const MoveFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class MoveFailure : public ::testing::TestWithParam<MoveFailureCase> {};

TEST_P(MoveFailure, IsADicomErrorAndTheAssociationServesTheNextMove) {
    const auto& c = GetParam();
    TestScpBehaviour b;
    b.moveStatus = c.status;
    b.moveCompleted = c.completed;
    b.moveFailed = c.failed;
    b.moveWarning = c.warning;
    b.moveErrorComment = c.errorComment;
    TestScp scp(b);
    auto query = NewQuery(scp.port(), scp.aet());

    const DicomError error = ExpectDicomError([&] { query->Move("1.2.3", "DEST9"); });

    EXPECT_EQ(error.number(), c.number) << error.what();
    EXPECT_NE(std::string(error.what()).find(c.statusPart), std::string::npos) << error.what();

    // A failed status leaves the association usable.
    EXPECT_THROW(query->Move("1.2.4", "DEST9"), DicomError);
    EXPECT_EQ(scp.Record().moves.size(), 2u);
    EXPECT_EQ(scp.Record().associations, 1);
}

INSTANTIATE_TEST_SUITE_P(
    , MoveFailure,
    ::testing::Values(
        MoveFailureCase{
            "UnknownDestination", 0xA801, 0, 0, 0, "", 0xA801,
            "The archive does not know the destination DEST9; its administrator must add DEST9 as a move "
            "destination (status 0xA801)."},
        // The archive's Error Comment follows the words.
        MoveFailureCase{"UnableToProcess", 0xC000, 0, 0, 0, "no such study", 0xC000,
                        "wrong address or port (status 0xC000). The archive said: no such study."},
        MoveFailureCase{"OutOfResources", 0xA701, 0, 0, 0, "", 0xA701,
                        "out of resources and could not work out which images to send to DEST9"},
        MoveFailureCase{
            "WarningSomeFailed", 0xB000, 2, 1, 0, "", 0xB000,
            "1 of 3 images could not be sent to DEST9; the archive's log says why (status 0xB000)."},
        MoveFailureCase{"Cancelled", 0xFE00, 0, 0, 0, "", 0xFE00,
                        "The archive cancelled sending to DEST9 (status 0xFE00)."},
        MoveFailureCase{"SuccessWithFailedSubOperations", 0x0000, 3, 2, 0, "", dicom::kErrSubOperationsFailed,
                        "2 of 5 images could not be sent to DEST9"},
        MoveFailureCase{"SuccessWithWarningSubOperations", 0x0000, 3, 0, 1, "",
                        dicom::kErrSubOperationsFailed, "1 of 4 images could not be sent to DEST9"}),
    [](const auto& info) { return info.param.name; });

TEST(Move, WithoutStudyUidSendsNothing) {
    TestScp scp;
    auto query = NewQuery(scp.port(), scp.aet());
    // An empty UID would match every study of the archive.
    EXPECT_EQ(ExpectDicomError([&] { query->Move("", "DEST9"); }).number(), dicom::kErrInvalidArgument);
    EXPECT_EQ(scp.Record().associations, 0);
}

TEST(Move, RefusedAssociationIsADicomError) {
    TestScpBehaviour b;
    b.refuseAssociation = true;
    TestScp scp(b);
    auto query = NewQuery(scp.port(), scp.aet());
    EXPECT_EQ(ExpectDicomError([&] { query->Move("1.2.3", "DEST9"); }).number(),
              dicom::kErrAssociationRejected);
}

// Follows a move; asks for the cancel once `cancelAfter` pending responses
// came (never when negative).
class TestObserver : public dicom::MoveObserver {
public:
    explicit TestObserver(int cancelAfter) : cancelAfter_(cancelAfter) {}
    void Pending(const dicom::MoveCounts& counts) override { pending.push_back(counts); }
    bool CancelRequested() const override {
        return cancelAfter_ >= 0 && static_cast<int>(pending.size()) >= cancelAfter_;
    }
    std::vector<dicom::MoveCounts> pending;

private:
    int cancelAfter_;
};

struct ObservedCase {
    std::string name;
    int images;
    CancelMode mode;
    int cancelAfter;
    dicom::MoveResult::Cancel outcome;
};
void PrintTo(const ObservedCase& c, std::ostream* os) {
    *os << c.name;
}

class ObservedMove : public ::testing::TestWithParam<ObservedCase> {};

TEST_P(ObservedMove, ReportsRisingCountsAndEndsAsTheArchiveAnswersTheCancel) {
    using Cancel = dicom::MoveResult::Cancel;
    const auto& c = GetParam();
    TestScpBehaviour b;
    b.movePending = c.images;
    b.cancel = c.mode;
    b.answerDelay = std::chrono::milliseconds(100);
    TestScp scp(b);
    auto query = NewQuery(scp.port(), scp.aet());
    TestObserver observer(c.cancelAfter);

    const auto start = std::chrono::steady_clock::now();
    const dicom::MoveResult result = query->Move("1.2.3", "DEST9", &observer);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(result.cancel, c.outcome);
    EXPECT_EQ(scp.Record().cancelReceived, c.cancelAfter >= 0);
    for (std::size_t i = 1; i < observer.pending.size(); ++i) {
        EXPECT_GE(observer.pending[i].completed, observer.pending[i - 1].completed);
    }
    const int lastPending = observer.pending.empty() ? 0 : observer.pending.back().completed;
    EXPECT_GE(result.counts.completed, lastPending);
    if (c.outcome == Cancel::None) {
        EXPECT_EQ(result.counts.completed, c.images);
    }
    if (c.outcome == Cancel::Confirmed) {
        EXPECT_LT(result.counts.completed, c.images);
        EXPECT_EQ(result.counts.remaining, c.images - result.counts.completed);
    }
    if (c.cancelAfter == 0) {
        EXPECT_TRUE(observer.pending.empty());
    }
    if (c.outcome == Cancel::Unconfirmed) {
        const auto grace = std::chrono::seconds(ShortTimeouts().moveCancelGraceSeconds);
        EXPECT_GE(took, grace);
        EXPECT_LT(took, grace + std::chrono::seconds(5));
        // The archive's next request gets a new association.
        EXPECT_NO_THROW(query->Find(ReturnKeys()));
        EXPECT_EQ(scp.Record().associations, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(, ObservedMove,
                         ::testing::Values(ObservedCase{"NotCancelled", 5, CancelMode::kHonour, -1,
                                                        dicom::MoveResult::Cancel::None},
                                           ObservedCase{"CancelConfirmed", 40, CancelMode::kHonour, 3,
                                                        dicom::MoveResult::Cancel::Confirmed},
                                           ObservedCase{"CancelBeforeFirstPending", 5, CancelMode::kHonour, 0,
                                                        dicom::MoveResult::Cancel::Confirmed},
                                           ObservedCase{"CancelIgnored", 1000, CancelMode::kIgnore, 2,
                                                        dicom::MoveResult::Cancel::Unconfirmed}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pelko::test
