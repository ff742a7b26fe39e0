// The adapter against real peers: Orthanc as the archive, storescp as the
// move destination.
#include <gtest/gtest.h>

#include <algorithm>

#include "network/NetworkSupport.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"

namespace pelko::test {
namespace {

using dicom::DicomError;
namespace tags = dicom::tags;

const std::string kSmithJohn = "1.2.826.0.1.3680043.9.7311.500.1";
const std::string kSmithJane = "1.2.826.0.1.3680043.9.7311.500.2";
const std::string kMueller = "1.2.826.0.1.3680043.9.7311.500.3";

class AgainstOrthanc : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        destination_ = new StoreScpFixture("DEST1");
        orthanc_ = new OrthancFixture({{"DEST1", destination_->port()}});
        const std::string sc = R"("SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT")";
        orthanc_->CreateInstance(R"({"PatientName": "Smith^John", "PatientID": "P1", "PatientSex": "M",
            "StudyDate": "20240110", "StudyTime": "083000", "StudyDescription": "Chest", "AccessionNumber": "A1",
            "StudyInstanceUID": ")" +
                                 kSmithJohn + "\", " + sc + "}");
        orthanc_->CreateInstance(R"({"PatientName": "Smith^Jane", "PatientID": "P2", "PatientSex": "F",
            "StudyDate": "20240111", "StudyTime": "090000", "StudyDescription": "Knee", "AccessionNumber": "A2",
            "StudyInstanceUID": ")" +
                                 kSmithJane + "\", " + sc + "}");
        orthanc_->CreateInstance(R"({"SpecificCharacterSet": "ISO_IR 100", "PatientName": "Müller^Jürgen",
            "PatientID": "P3", "StudyDate": "20240112", "StudyDescription": "Schädel", "AccessionNumber": "A3",
            "StudyInstanceUID": ")" +
                                 kMueller + "\", " + sc + "}");
    }
    static void TearDownTestSuite() {
        delete orthanc_;
        delete destination_;
        orthanc_ = nullptr;
        destination_ = nullptr;
    }

    static std::unique_ptr<dicom::QueryAssociation> Query() {
        return NewQuery(orthanc_->dicomPort(), orthanc_->aet(), ShortTimeouts(20));
    }

    static std::vector<std::string> StudyUIDs(const dicom::DatasetList& results) {
        std::vector<std::string> uids;
        for (const auto& r : results) uids.push_back(r.StudyInstanceUID());
        std::sort(uids.begin(), uids.end());
        return uids;
    }

    static inline OrthancFixture* orthanc_ = nullptr;
    static inline StoreScpFixture* destination_ = nullptr;
};

TEST_F(AgainstOrthanc, FindsTheSeededStudiesByName) {
    auto query = Query();
    dicom::Dataset request = ReturnKeys();
    request.setPatientName("Smith*");
    request.setPatientID("");
    request.setAccessionNumber("");
    request.Attributes().Add(tags::StudyDate, "");
    request.Attributes().Add(tags::RegisteredDate, "");
    request.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");

    const auto results = query->Find(request);

    EXPECT_EQ(StudyUIDs(results), (std::vector<std::string>{kSmithJohn, kSmithJane}));
    for (const auto& r : results) {
        if (r.StudyInstanceUID() != kSmithJohn) continue;
        EXPECT_EQ(r.PatientName(), "Smith^John");
        EXPECT_EQ(r.PatientID(), "P1");
        EXPECT_EQ(r.AccessionNumber(), "A1");
        EXPECT_EQ(r.Attributes().Item(tags::StudyDate), "20240110");
        EXPECT_EQ(r.Attributes().Item(tags::StudyTime), "083000");
    }
}

TEST_F(AgainstOrthanc, Latin1NameGoesOutAndComesBack) {
    auto query = Query();
    dicom::Dataset request = ReturnKeys();
    request.setPatientName("Müller*");
    request.setStudyDescription("");
    request.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");

    const auto results = query->Find(request);

    ASSERT_EQ(results.Count(), 1);
    EXPECT_EQ(results[0].StudyInstanceUID(), kMueller);
    EXPECT_EQ(results[0].PatientName(), "Müller^Jürgen");
    EXPECT_EQ(results[0].StudyDescription(), "Schädel");
}

TEST_F(AgainstOrthanc, StudyDateRangeSelects) {
    auto query = Query();
    dicom::Dataset request = ReturnKeys();
    request.Attributes().Add(tags::StudyDate, "20240111-20240112");
    request.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    EXPECT_EQ(StudyUIDs(query->Find(request)), (std::vector<std::string>{kSmithJane, kMueller}));
}

TEST_F(AgainstOrthanc, MovedStudiesArriveAtTheDestination) {
    const std::size_t before = destination_->Files().size();
    {
        auto query = Query();
        query->Move(kSmithJohn, "DEST1");
        query->Move(kMueller, "DEST1");
    }
    ASSERT_TRUE(destination_->WaitForFiles(before + 2));
    const auto uids = destination_->StudyUIDs();
    EXPECT_EQ(std::count(uids.begin(), uids.end(), kSmithJohn), 1);
    EXPECT_EQ(std::count(uids.begin(), uids.end(), kMueller), 1);
}

TEST_F(AgainstOrthanc, MoveToUnknownDestinationIsADicomError) {
    auto query = Query();

    const DicomError error = ExpectDicomError([&] { query->Move(kSmithJane, "NOWHERE"); });

    const auto status = static_cast<std::uint32_t>(error.number());
    EXPECT_TRUE((status & 0xF000) == 0xC000 || (status & 0xF000) == 0xA000) << error.what();
    EXPECT_NE(std::string(error.what()).find("must add NOWHERE as a move destination"), std::string::npos)
        << error.what();
}

TEST_F(AgainstOrthanc, StoredRedirectRequestIsRefused) {
    auto store = NewStore(orthanc_->dicomPort(), orthanc_->aet(), ShortTimeouts(20));
    store->Open("1.2.840.10008.5.1.4.1.1.1");
    dicom::Dataset request;
    request.Attributes().Add(tags::RedirectMarker, "REDIRECT");
    request.Attributes().Add(tags::RedirectStudyUID, kSmithJohn);

    const DicomError error = ExpectDicomError([&] { store->Store("2.25.4711", request); });

    EXPECT_EQ(error.number(), 0xA700) << error.what();
    store->Close();
}

}  // namespace
}  // namespace pelko::test
