// C-FIND of the adapter against TestScp: what goes on the wire, how answers
// are decoded, the result cap and every way the query can fail.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>

#include "network/NetworkSupport.h"
#include "peers/Ports.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

using dicom::Attribute;
using dicom::DicomError;
using dicom::Tag;
namespace tags = dicom::tags;

// One element as the archive saw it.
struct Wire {
    Tag tag;
    std::string vr;
    std::string value;  // bytes, without padding

    bool operator==(const Wire&) const = default;
    friend void PrintTo(const Wire& w, std::ostream* os) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "(%04X,%04X)", w.tag.group, w.tag.element);
        *os << buf << " " << w.vr << " \"" << w.value << "\"";
    }
};

std::vector<Wire> WireOf(const WireDataset& ds) {
    std::vector<Wire> out;
    for (const auto& e : ds.elements) out.push_back({e.tag, e.vr, e.value});
    return out;
}

// The search's criteria in the order the program adds them.
std::vector<Attribute> SearchCriteria(const std::string& name, Tag dateTag, const std::string& date) {
    return {{tags::PatientName, name},
            {tags::PatientID, ""},
            {tags::PatientSex, "M"},
            {tags::PatientBirthDate, ""},
            {dateTag, date},
            {tags::QueryRetrieveLevel, "STUDY"},
            {tags::StudyDescription, ""},
            {tags::AccessionNumber, ""}};
}

struct IdentifierCase {
    std::string name;
    std::vector<Attribute> criteria;
    bool startFromRequest;  // the return keys of the search, or an empty Dataset
    std::vector<Wire> expected;
};
void PrintTo(const IdentifierCase& c, std::ostream* os) {
    *os << c.name;
}

class FindIdentifier : public ::testing::TestWithParam<IdentifierCase> {};

TEST_P(FindIdentifier, GoesOnTheWireExactly) {
    const auto& c = GetParam();
    TestScp scp;
    auto query = NewQuery(scp.port(), scp.aet());
    dicom::Dataset identifier = c.startFromRequest ? ReturnKeys() : dicom::Dataset();
    for (const auto& a : c.criteria) identifier.Attributes().Add(a.tag, a.value);

    EXPECT_EQ(query->Find(identifier).Count(), 0);

    const auto record = scp.Record();
    ASSERT_EQ(record.findIdentifiers.size(), 1u);
    EXPECT_EQ(WireOf(record.findIdentifiers[0]), c.expected);
}

// DCMTK keeps elements in tag order; so does the expected list.
const Wire kReturnKeys[] = {
    {tags::StudyTime, "TM", ""}, {tags::Modality, "CS", ""}, {tags::StudyInstanceUID, "UI", ""}};

INSTANTIATE_TEST_SUITE_P(
    , FindIdentifier,
    ::testing::Values(
        IdentifierCase{"AsciiCriteriaWithoutCharacterSet",
                       SearchCriteria("Smith*", tags::StudyDate, "20240101-20240131"),
                       true,
                       {{tags::StudyDate, "DA", "20240101-20240131"},
                        kReturnKeys[0],
                        {tags::AccessionNumber, "SH", ""},
                        {tags::QueryRetrieveLevel, "CS", "STUDY"},
                        kReturnKeys[1],
                        {tags::StudyDescription, "LO", ""},
                        {tags::PatientName, "PN", "Smith*"},
                        {tags::PatientID, "LO", ""},
                        {tags::PatientBirthDate, "DA", ""},
                        {tags::PatientSex, "CS", "M"},
                        kReturnKeys[2]}},
        IdentifierCase{"RegisteredDateAsPrivateLOWithoutCreator",
                       SearchCriteria("", tags::RegisteredDate, "20240105"),
                       true,
                       {kReturnKeys[0],
                        {tags::AccessionNumber, "SH", ""},
                        {tags::QueryRetrieveLevel, "CS", "STUDY"},
                        kReturnKeys[1],
                        {tags::StudyDescription, "LO", ""},
                        {tags::PatientName, "PN", ""},
                        {tags::PatientID, "LO", ""},
                        {tags::PatientBirthDate, "DA", ""},
                        {tags::PatientSex, "CS", "M"},
                        {tags::RegisteredDate, "LO", "20240105"},
                        kReturnKeys[2]}},
        IdentifierCase{"Latin1NameAsIsoIr100",
                       {{tags::PatientName, "Müller^Jürgen"}, {tags::StudyDescription, "Thorax"}},
                       false,
                       {{{0x0008, 0x0005}, "CS", "ISO_IR 100"},
                        {tags::QueryRetrieveLevel, "CS", "STUDY"},
                        {tags::StudyDescription, "LO", "Thorax"},
                        {tags::PatientName, "PN", "M\xFCller^J\xFCrgen"}}},
        IdentifierCase{"NameBeyondLatin1AsUtf8",
                       {{tags::PatientName, "Ωmega^Jürgen"}},
                       false,
                       {{{0x0008, 0x0005}, "CS", "ISO_IR 192"},
                        {tags::QueryRetrieveLevel, "CS", "STUDY"},
                        {tags::PatientName, "PN", "\xCE\xA9mega^J\xC3\xBCrgen"}}},
        IdentifierCase{"QueryLevelAddedWhenMissing",
                       {{tags::AccessionNumber, "A17"}},
                       false,
                       {{tags::AccessionNumber, "SH", "A17"}, {tags::QueryRetrieveLevel, "CS", "STUDY"}}}),
    [](const auto& info) { return info.param.name; });

struct DecodeCase {
    std::string name;
    std::string charset;  // (0008,0005) of the answers
    std::string nameBytes;
    std::string descriptionBytes;
    std::string expectedName;
    std::string expectedDescription;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class FindResultText : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(FindResultText, IsDecodedByTheAnswersCharacterSet) {
    const auto& c = GetParam();
    TestScpBehaviour b;
    b.matches = 2;
    b.answerCharset = c.charset;
    b.answerPatientName = c.nameBytes;
    b.answerExtra = {{tags::StudyDescription, c.descriptionBytes}, {tags::RegisteredDate, "20240220"}};
    TestScp scp(b);
    auto query = NewQuery(scp.port(), scp.aet());

    const auto results = query->Find(ReturnKeys());

    ASSERT_EQ(results.Count(), 2);
    const auto& first = results[0];
    EXPECT_EQ(first.PatientName(), c.expectedName);
    EXPECT_EQ(first.StudyDescription(), c.expectedDescription);
    EXPECT_EQ(first.StudyInstanceUID(), TestScpStudyUID(1));
    EXPECT_EQ(results[1].StudyInstanceUID(), TestScpStudyUID(2));
    EXPECT_EQ(first.PatientID(), "PID1");
    EXPECT_EQ(first.AccessionNumber(), "ACC1");
    EXPECT_EQ(first.PatientSex(), "F");
    EXPECT_EQ(first.PatientBirthDate(), "19700101");
    EXPECT_EQ(first.Attributes().Item(tags::StudyDate), "20240102");
    EXPECT_EQ(first.Attributes().Item(tags::StudyTime), "101500");
    EXPECT_EQ(first.Attributes().Item(tags::Modality), "CT");
    EXPECT_EQ(first.Attributes().Item(tags::RegisteredDate), "20240220");
}

INSTANTIATE_TEST_SUITE_P(, FindResultText,
                         ::testing::Values(DecodeCase{"IsoIr100", "ISO_IR 100", "M\xFCller^J\xFCrgen",
                                                      "K\xF6rper", "Müller^Jürgen", "Körper"},
                                           DecodeCase{"IsoIr192", "ISO_IR 192", "\xCE\xA9mega^J\xC3\xBCrgen",
                                                      "K\xC3\xB6rper", "Ωmega^Jürgen", "Körper"},
                                           DecodeCase{"NoneTakenAsLatin1", "", "M\xFCller^J\xFCrgen",
                                                      "K\xF6rper", "Müller^Jürgen", "Körper"},
                                           DecodeCase{"IsoIr144Cyrillic", "ISO_IR 144",
                                                      "\xB1\xDE\xE0\xD8\xE1", "\xB3\xE0\xE3\xD4\xEC", "Борис",
                                                      "Грудь"}),
                         [](const auto& info) { return info.param.name; });

struct CapCase {
    std::string name;
    int matches;
    CancelMode cancel;
    int expectedResults;
    bool expectCancel;
    bool expectRelease;  // released normally, else aborted by us
};
void PrintTo(const CapCase& c, std::ostream* os) {
    *os << c.name;
}

class FindCap : public ::testing::TestWithParam<CapCase> {};

TEST_P(FindCap, KeepsAtMostTheLimitAndStopsTheArchive) {
    const auto& c = GetParam();
    TestScpBehaviour b;
    b.matches = c.matches;
    b.cancel = c.cancel;
    TestScp scp(b);
    auto query = NewQuery(scp.port(), scp.aet());

    const auto results = query->Find(ReturnKeys());

    ASSERT_EQ(results.Count(), c.expectedResults);
    EXPECT_EQ(results[0].StudyInstanceUID(), TestScpStudyUID(1));
    EXPECT_EQ(results[results.Count() - 1].StudyInstanceUID(), TestScpStudyUID(c.expectedResults));
    ASSERT_TRUE(scp.WaitForEnded(1));
    const auto record = scp.Record();
    EXPECT_EQ(record.cancelReceived, c.expectCancel);
    if (c.expectRelease) {
        EXPECT_EQ(record.released, 1);
    } else {
        // We abort while the archive is still writing: it sees its send fail
        // or our A-ABORT, never a release. Not every match was sent.
        EXPECT_EQ(record.released, 0);
        EXPECT_LT(record.findResponsesSent, c.matches);
    }
}

INSTANTIATE_TEST_SUITE_P(
    , FindCap,
    ::testing::Values(CapCase{"BelowTheLimit", 399, CancelMode::kHonour, 399, false, true},
                      CapCase{"CancelHonoured", 20000, CancelMode::kHonour, 400, true, true},
                      CapCase{"CancelIgnored", 200000, CancelMode::kIgnore, 400, true, false}),
    [](const auto& info) { return info.param.name; });

TEST(FindSlowArchive, AnswersWithinTheBoundAreAllCollected) {
    TestScpBehaviour b;
    b.matches = 10;
    b.answerDelay = std::chrono::milliseconds(300);
    TestScp scp(b);
    // The bound is on the wait for each response, not on the whole query:
    // all of them take longer than it, each well within it.
    auto query = NewQuery(scp.port(), scp.aet(), ShortTimeouts(2));
    EXPECT_EQ(query->Find(ReturnKeys()).Count(), 10);
}

enum class PeerKind { kTestScp, kClosedPort, kSilentListener };

struct FailureCase {
    std::string name;
    PeerKind peer;
    TestScpBehaviour behaviour;
    std::int32_t number;
    std::vector<std::string> descriptionParts;  // "{peer}" stands for "AET (127.0.0.1:port)"
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

TestScpBehaviour Behaviour(std::function<void(TestScpBehaviour&)> f) {
    TestScpBehaviour b;
    f(b);
    return b;
}

class FindFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FindFailure, IsADicomErrorNamingPeerAndCause) {
    const auto& c = GetParam();
    std::unique_ptr<TestScp> scp;
    std::unique_ptr<SilentListener> listener;
    int port = 0;
    std::string aet = "ARCHIVE";
    switch (c.peer) {
        case PeerKind::kTestScp:
            scp = std::make_unique<TestScp>(c.behaviour);
            port = scp->port();
            aet = scp->aet();
            break;
        case PeerKind::kClosedPort:
            port = FreePort();
            break;
        case PeerKind::kSilentListener:
            listener = std::make_unique<SilentListener>();
            port = listener->port();
            break;
    }
    auto query = NewQuery(port, aet, ShortTimeouts(1));

    const DicomError error = ExpectDicomError([&] { query->Find(ReturnKeys()); });

    EXPECT_EQ(error.number(), c.number) << error.what();
    const std::string peer = aet + " (127.0.0.1:" + std::to_string(port) + ")";
    for (auto part : c.descriptionParts) {
        if (auto at = part.find("{peer}"); at != std::string::npos) part.replace(at, 6, peer);
        EXPECT_NE(std::string(error.what()).find(part), std::string::npos)
            << error.what() << "\nlacks: " << part;
    }
}

INSTANTIATE_TEST_SUITE_P(
    , FindFailure,
    ::testing::Values(
        FailureCase{"RefusedStatusA700",
                    PeerKind::kTestScp,
                    Behaviour([](auto& b) {
                        b.matches = 2;
                        b.findStatus = 0xA700;
                    }),
                    0xA700,
                    {"The archive is out of resources and refused the search", "(status 0xA700)."}},
        FailureCase{"UnableToProcessC001",
                    PeerKind::kTestScp,
                    Behaviour([](auto& b) { b.findStatus = 0xC001; }),
                    0xC001,
                    {"The archive was unable to process the search", "(status 0xC001)."}},
        FailureCase{"SilentArchive",
                    PeerKind::kTestScp,
                    Behaviour([](auto& b) { b.neverAnswer = true; }),
                    dicom::kErrTimeout,
                    {"The archive stopped answering", "(C-FIND on {peer}: no answer within 1 s)."}},
        FailureCase{"SlowArchive",
                    PeerKind::kTestScp,
                    Behaviour([](auto& b) {
                        b.matches = 3;
                        b.answerDelay = std::chrono::milliseconds(2500);
                    }),
                    dicom::kErrTimeout,
                    {"The archive stopped answering", "(C-FIND on {peer}: no answer within 1 s)."}},
        FailureCase{"AbortedAfterThreeMatches",
                    PeerKind::kTestScp,
                    Behaviour([](auto& b) {
                        b.matches = 10;
                        b.abortAfter = 3;
                    }),
                    dicom::kErrAssociationAborted,
                    {"C-FIND on {peer} failed: association aborted"}},
        FailureCase{"RefusedAssociation",
                    PeerKind::kTestScp,
                    Behaviour([](auto& b) { b.refuseAssociation = true; }),
                    dicom::kErrAssociationRejected,
                    {"The archive {peer} refused the association", "called AE title not recognized)."}},
        FailureCase{"ClosedPort",
                    PeerKind::kClosedPort,
                    {},
                    dicom::kErrNoConnection,
                    {"Association from PELKO to {peer} failed: no connection"}},
        FailureCase{
            "NoAssociationAnswer",
            PeerKind::kSilentListener,
            {},
            dicom::kErrTimeout,
            {"The archive stopped answering", "(Association from PELKO to {peer}: no answer within 1 s)."}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pelko::test
