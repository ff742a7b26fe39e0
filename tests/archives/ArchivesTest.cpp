// The toolkit and the search's identifier against real archives of other
// makers: Orthanc and DCMTK's dcmqrscp, each with storescp as the move
// destination DEST1 and seeded once by C-STORE with the same studies. The
// same cases run against each; where the archives differ, each row says
// what that archive answers, as a user meets it.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "dicom/StatusWords.h"
#include "dicom/dcmtk/DcmtkToolkit.h"
#include "peers/DcmqrscpFixture.h"
#include "peers/DicomFiles.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"
#include "query/ModalityText.h"
#include "query/SearchCriteria.h"

namespace pelko::test {
namespace {

using dicom::DicomError;
namespace tags = dicom::tags;

const std::string kRoot = "1.2.826.0.1.3680043.9.7311.600.";
const std::string kSmithJohn = kRoot + "1", kSmithJane = kRoot + "2", kSmith = kRoot + "3";
const std::string kMueller = kRoot + "4", kOmega = kRoot + "5", kCtPt = kRoot + "6";
constexpr int kCapStudies = dicom::kMaxFindResults + 5;

// One seeded instance: its study, patient and what differs.
struct Seed {
    std::string study;
    std::string patientId;
    std::string name;  // value bytes
    std::string charset;
    std::string modality = "CT";
};

void WriteSeeds(const std::filesystem::path& folder) {
    std::vector<Seed> seeds = {
        {kSmithJohn, "P1", "Smith^John", ""},
        {kSmithJane, "P2", "Smith^Jane", ""},
        {kSmith, "P3", "Smith", ""},
        {kMueller, "P4", "M\xFCller^J\xFCrgen", "ISO_IR 100"},
        {kOmega, "P5", "\xCE\xA9mega^J\xC3\xBCrgen", "ISO_IR 192"},
        {kCtPt, "P6", "Hybrid^Pat", "", "CT"},
        {kCtPt, "P6", "Hybrid^Pat", "", "PT"},
    };
    for (int i = 0; i < kCapStudies; ++i) {
        seeds.push_back(
            {kRoot + "9." + std::to_string(i), "CAP" + std::to_string(i), "Cap^" + std::to_string(i), ""});
    }
    int n = 0;
    for (const Seed& s : seeds) {
        std::vector<dicom::Attribute> a = {{tags::StudyInstanceUID, s.study},
                                           {tags::PatientID, s.patientId},
                                           {tags::PatientName, s.name},
                                           {tags::StudyDate, "20240110"},
                                           {tags::StudyTime, "083000"},
                                           {tags::Modality, s.modality},
                                           {tags::AccessionNumber, "A" + s.patientId}};
        if (!s.charset.empty()) a.push_back({{0x0008, 0x0005}, s.charset});
        WriteDicomFile(folder / ("seed" + std::to_string(n++) + ".dcm"), a);
    }
}

// One archive under test, with its own move destination.
struct Archive {
    std::string aet;
    int port = 0;
    std::unique_ptr<StoreScpFixture> destination;
    std::unique_ptr<OrthancFixture> orthanc;
    std::unique_ptr<DcmqrscpFixture> dcmqrscp;
};

std::map<std::string, Archive>& Archives() {
    static std::map<std::string, Archive> archives;
    return archives;
}

// Starts both archives once for the whole program and seeds them.
class ArchivesEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // DCMTK's peers and ours without Nagle's 40 ms stalls per exchange.
        qputenv("TCP_NODELAY", QByteArray("1"));
        WriteSeeds(seeds_.path());
        for (const char* name : {"Orthanc", "dcmqrscp"}) {
            Archive& a = Archives()[name];
            a.destination = std::make_unique<StoreScpFixture>("DEST1");
            const std::vector<RemoteModality> nodes = {{"DEST1", a.destination->port()}};
            if (std::string(name) == "Orthanc") {
                a.orthanc = std::make_unique<OrthancFixture>(nodes);
                a.aet = a.orthanc->aet();
                a.port = a.orthanc->dicomPort();
            } else {
                a.dcmqrscp = std::make_unique<DcmqrscpFixture>(nodes);
                a.aet = a.dcmqrscp->aet();
                a.port = a.dcmqrscp->port();
            }
            StoreFolder(seeds_.path(), a.port, a.aet);
        }
    }
    void TearDown() override { Archives().clear(); }

private:
    TempDir seeds_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ArchivesEnvironment);

class EveryArchive : public ::testing::TestWithParam<std::string> {
protected:
    Archive& archive() { return Archives().at(GetParam()); }
    bool orthanc() { return GetParam() == "Orthanc"; }

    dicom::AssociationParameters Peer() {
        dicom::AssociationParameters p;
        p.host = "127.0.0.1";
        p.port = archive().port;
        p.calledAET = archive().aet;
        p.callingAET = "PELKO";
        return p;
    }
    std::unique_ptr<dicom::QueryAssociation> Query() { return toolkit_->newQueryAssociation(Peer()); }

    // The search's own identifier for a last name or a patient ID.
    dicom::DatasetList Search(const std::string& lastName, const std::string& patientId = "") {
        query::SearchCriteria c;
        c.lastName = lastName;
        c.patientId = patientId;
        return Query()->Find(query::StudyIdentifier(query::Cleaned(c), false));
    }

    std::unique_ptr<dicom::Toolkit> toolkit_ = dicom::MakeDcmtkToolkit();
};

std::vector<std::string> Sorted(const dicom::DatasetList& results) {
    std::vector<std::string> uids;
    for (const auto& r : results) uids.push_back(r.StudyInstanceUID());
    std::sort(uids.begin(), uids.end());
    return uids;
}

// Person names match whole: "Smith" is only the patient named exactly so.
TEST_P(EveryArchive, NamesMatchAsTyped) {
    const struct {
        const char* lastName;
        std::vector<std::string> studies;
    } rows[] = {
        {"Smith*", {kSmithJohn, kSmithJane, kSmith}},
        {"Smith", {kSmith}},
        {"Sm?th^J*", {kSmithJohn, kSmithJane}},
        {"Nobody*", {}},
    };
    for (const auto& r : rows) {
        auto expected = r.studies;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Sorted(Search(r.lastName)), expected) << r.lastName;
    }
}

// The answers' character sets: Latin-1 from both; UTF-8 from dcmqrscp,
// while Orthanc answers in Latin-1 and drops what Latin-1 lacks.
TEST_P(EveryArchive, AnswersDecodeInTheirCharacterSet) {
    const struct {
        const char* patientId;
        std::string name;
        std::string orthancName;
    } rows[] = {
        {"P4", "Müller^Jürgen", "Müller^Jürgen"},
        {"P5", "Ωmega^Jürgen", "mega^Jürgen"},
    };
    for (const auto& r : rows) {
        const auto results = Search("", r.patientId);
        ASSERT_EQ(results.Count(), 1) << r.patientId;
        EXPECT_EQ(results[0].PatientName(), orthanc() ? r.orthancName : r.name) << r.patientId;
    }
}

TEST_P(EveryArchive, MoreMatchesThanTheCapGiveTheCapAndEndTheQuery) {
    EXPECT_EQ(Search("Cap*").Count(), dicom::kMaxFindResults);
    // The association is gone either way; the archive still answers.
    EXPECT_EQ(Sorted(Search("", "P1")), std::vector<std::string>{kSmithJohn});
}

TEST_P(EveryArchive, MovedStudyArrivesAtTheDestination) {
    Query()->Move(kSmithJane, "DEST1");
    StoreScpFixture& destination = *archive().destination;
    ASSERT_TRUE(destination.WaitForFiles(1));
    const auto uids = destination.StudyUIDs();
    EXPECT_EQ(std::count(uids.begin(), uids.end(), kSmithJane), 1);
}

TEST_P(EveryArchive, UnknownDestinationIsRefusedInWords) {
    try {
        Query()->Move(kSmithJohn, "NOWHERE");
        ADD_FAILURE() << "moved to an unknown destination";
    } catch (const DicomError& e) {
        // dcmqrscp says so (0xA801); Orthanc cannot process it (0xC000).
        EXPECT_EQ(e.number(), orthanc() ? 0xC000 : 0xA801);
        EXPECT_EQ(
            std::string(e.what()),
            dicom::StatusWords(dicom::Operation::Move, static_cast<std::uint16_t>(e.number()), "NOWHERE"));
    }
}

// Forward mode: dcmqrscp stores the bare redirect request; Orthanc refuses
// an object without Patient ID, Study and Series Instance UID.
TEST_P(EveryArchive, RedirectRequestIsStoredOrRefusedInWords) {
    auto store = toolkit_->newStoreAssociation(Peer());
    store->Open("1.2.840.10008.5.1.4.1.1.1");
    dicom::Dataset request;
    request.Attributes().Add(tags::RedirectMarker, "REDIRECT");
    request.Attributes().Add(tags::RedirectStudyUID, kSmithJohn);
    if (!orthanc()) {
        EXPECT_NO_THROW(store->Store(dicom::NewUuidDerivedUid(), request));
        return;
    }
    try {
        store->Store(dicom::NewUuidDerivedUid(), request);
        ADD_FAILURE() << "Orthanc stored the redirect request";
    } catch (const DicomError& e) {
        EXPECT_EQ(e.number(), 0xA700);
        EXPECT_EQ(std::string(e.what()), dicom::StatusWords(dicom::Operation::Store, 0xA700));
    }
}

// Orthanc 1.10 answers Modality empty at study level (1.12 fills it) and
// fills Modalities in Study; dcmqrscp keeps Modality of the study's first
// instance.
TEST_P(EveryArchive, ModalityColumnFallsBackToModalitiesInStudy) {
    const auto results = Search("", "P6");
    ASSERT_EQ(results.Count(), 1);
    const std::string modality = results[0].Attributes().Item(tags::Modality);
    if (orthanc()) {
        EXPECT_EQ(results[0].Attributes().Item(tags::ModalitiesInStudy), "CT\\PT");
    }
    EXPECT_EQ(query::ModalityText(results[0]), modality.empty() ? "CT/PT" : modality);
    if (!orthanc()) {
        EXPECT_EQ(modality, "CT");
    }
}

INSTANTIATE_TEST_SUITE_P(, EveryArchive, ::testing::Values("Orthanc", "dcmqrscp"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace pelko::test
