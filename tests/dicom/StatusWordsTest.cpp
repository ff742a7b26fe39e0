#include <gtest/gtest.h>

#include "dicom/StatusWords.h"

namespace pelko::dicom {
namespace {

TEST(StatusWords, SayWhatHappenedAndWhatToDoWithTheCodeLast) {
    struct Row {
        Operation operation;
        std::uint16_t status;
        MoveCounts counts;
        std::string words;
    };
    const Row rows[] = {
        {Operation::Move,
         0xA801,
         {},
         "The archive does not know the destination NOWHERE; its administrator must add NOWHERE as a move "
         "destination (status 0xA801)."},
        {Operation::Move,
         0xC000,
         {},
         "The archive was unable to process sending to NOWHERE; the cause is in the archive's log, and "
         "common ones are an unknown destination (its administrator must add NOWHERE as a move destination) "
         "and a destination that does not answer, being switched off or set up at the archive with a wrong "
         "address or port (status 0xC000)."},
        {Operation::Move, 0xCFFF, {}, "unknown destination"},
        {Operation::Find,
         0xC001,
         {},
         "The archive was unable to process the search; the cause is in the archive's log (status 0xC001)."},
        {Operation::Move, 0xA701, {}, "could not work out which images to send to NOWHERE"},
        {Operation::Move, 0xA702, {}, "could not send the images to NOWHERE"},
        {Operation::Find, 0xA700, {}, "out of resources and refused the search"},
        {Operation::Store,
         0xA700,
         {},
         "Patient ID, Study and Series Instance UID; forward mode needs an archive"},
        {Operation::Find, 0xA900, {}, "does not match its SOP class"},
        {Operation::Move, 0xA900, {}, "does not match its SOP class"},
        {Operation::Move,
         0xB000,
         {std::nullopt, 3, 2, 0},
         "2 of 5 images could not be sent to NOWHERE; the archive's log says why (status 0xB000)."},
        {Operation::Move, 0xFE00, {}, "The archive cancelled sending to NOWHERE (status 0xFE00)."},
        {Operation::Store, 0xA123, {}, "The archive refused the forward request (status 0xA123)."},
    };
    for (const Row& r : rows) {
        const std::string words = StatusWords(r.operation, r.status, "NOWHERE", r.counts);
        if (r.words.ends_with(".")) {
            EXPECT_EQ(words, r.words);
        } else {
            EXPECT_NE(words.find(r.words), std::string::npos) << words;
        }
        // A sentence ending in the code.
        EXPECT_TRUE(words.ends_with(" (status " + StatusHex(r.status) + ").")) << words;
    }
}

TEST(StatusWords, FailedAndWarningSubOperationsCountAsNotSent) {
    EXPECT_EQ(
        SubOperationWords("DEST1", {std::nullopt, 3, 1, 1}),
        "2 of 5 images could not be sent to DEST1; the archive's log says why (3 sent, 1 failed, 1 with "
        "warnings).");
    EXPECT_EQ(SubOperationWords("DEST1", {std::nullopt, 0, 4, 0}).substr(0, 46),
              "4 of 4 images could not be sent to DEST1; the ");
}

TEST(StatusWords, NetworkFailuresNameTheArchiveAndKeepTheCause) {
    const std::string archive = "ORTHANC (127.0.0.1:4242)";
    for (const auto& [failure, start] : {
             std::pair{NetworkFailure::Rejected,
                       "The archive ORTHANC (127.0.0.1:4242) refused the association;"},
             std::pair{NetworkFailure::NoAnswer, "The archive ORTHANC (127.0.0.1:4242) stopped answering;"},
             std::pair{NetworkFailure::TlsRefused,
                       "The TLS handshake with the archive ORTHANC (127.0.0.1:4242) failed;"},
         }) {
        const std::string words = NetworkWords(failure, archive, "CAUSE (a: b)");
        EXPECT_TRUE(words.starts_with(start)) << words;
        EXPECT_TRUE(words.ends_with(" (CAUSE (a: b)).")) << words;
    }
    EXPECT_EQ(
        NetworkWords(NetworkFailure::NoAnswer, "", "C-FIND on X: no answer within 60 s"),
        "The archive stopped answering; it may be stopped or too busy (C-FIND on X: no answer within 60 s).");
}

}  // namespace
}  // namespace pelko::dicom
