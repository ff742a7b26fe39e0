// C-MOVE of the adapter against TestScp: the request on the wire, one kept
// association for several studies, and every final outcome that must not
// pass as success.
#include <gtest/gtest.h>

#include <ostream>

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
        MoveFailureCase{"UnableToProcess", 0xC000, 0, 0, 0, "no such study", 0xC000,
                        "unable to process sending to DEST9; the cause is in the archive's log"},
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

}  // namespace
}  // namespace pelko::test
