// C-STORE of the redirect requests against TestScp.
#include <gtest/gtest.h>

#include <ostream>

#include "dicom/StatusWords.h"
#include "network/NetworkSupport.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

using dicom::DicomError;
namespace tags = dicom::tags;

constexpr const char* kCRImageStorage = "1.2.840.10008.5.1.4.1.1.1";
constexpr const char* kExplicitVRLittleEndian = "1.2.840.10008.1.2.1";

dicom::Dataset RedirectRequest(const std::string& studyUID) {
    dicom::Dataset ds;
    ds.Attributes().Add(tags::RedirectMarker, "REDIRECT");
    ds.Attributes().Add(tags::RedirectStudyUID, studyUID);
    return ds;
}

TEST(Store, RedirectRequestArrivesWithPrivateLOElements) {
    TestScp scp;
    auto store = NewStore(scp.port(), scp.aet());
    store->Open(kCRImageStorage);
    store->Store("2.25.1001", RedirectRequest("1.2.3.4"));
    store->Store("2.25.1002", RedirectRequest("1.2.3.5"));
    store->Close();

    ASSERT_TRUE(scp.WaitForEnded(1));
    const auto record = scp.Record();
    EXPECT_EQ(record.associations, 1);
    EXPECT_EQ(record.released, 1);
    ASSERT_EQ(record.stores.size(), 2u);
    const auto& first = record.stores[0];
    EXPECT_EQ(first.sopClassUID, kCRImageStorage);
    EXPECT_EQ(first.sopInstanceUID, "2.25.1001");
    EXPECT_EQ(first.dataset.transferSyntax, kExplicitVRLittleEndian);
    ASSERT_EQ(first.dataset.elements.size(), 4u);
    const auto* sopClass = first.dataset.Find({0x0008, 0x0016});
    const auto* sopInstance = first.dataset.Find({0x0008, 0x0018});
    const auto* marker = first.dataset.Find(tags::RedirectMarker);
    const auto* study = first.dataset.Find(tags::RedirectStudyUID);
    ASSERT_TRUE(sopClass && sopInstance && marker && study);
    EXPECT_EQ(sopClass->value, kCRImageStorage);
    EXPECT_EQ(sopInstance->value, "2.25.1001");
    EXPECT_EQ(marker->vr, "LO");
    EXPECT_EQ(marker->value, "REDIRECT");
    EXPECT_EQ(study->vr, "LO");
    EXPECT_EQ(study->value, "1.2.3.4");
    EXPECT_EQ(record.stores[1].dataset.Find(tags::RedirectStudyUID)->value, "1.2.3.5");
}

struct StoreStatusCase {
    std::string name;
    std::uint16_t status;
    bool stored;
};
void PrintTo(const StoreStatusCase& c, std::ostream* os) {
    *os << c.name;
}

class StoreStatus : public ::testing::TestWithParam<StoreStatusCase> {};

TEST_P(StoreStatus, FailureIsADicomErrorWithTheStatus) {
    const auto& c = GetParam();
    TestScpBehaviour b;
    b.storeStatus = c.status;
    TestScp scp(b);
    auto store = NewStore(scp.port(), scp.aet());
    store->Open(kCRImageStorage);
    if (c.stored) {
        EXPECT_NO_THROW(store->Store("2.25.7", RedirectRequest("1.2.3")));
    } else {
        const DicomError error = ExpectDicomError([&] { store->Store("2.25.7", RedirectRequest("1.2.3")); });
        EXPECT_EQ(error.number(), c.status);
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", c.status);
        // A sentence about the forward request, the code last.
        const std::string what = error.what();
        EXPECT_TRUE(what.starts_with("The archive ")) << what;
        EXPECT_TRUE(what.ends_with(std::string(" (status ") + hex + ").")) << what;
    }
    store->Close();
}

INSTANTIATE_TEST_SUITE_P(, StoreStatus,
                         ::testing::Values(StoreStatusCase{"Success", 0x0000, true},
                                           StoreStatusCase{"CoercionWarning", 0xB000, true},
                                           StoreStatusCase{"OutOfResources", 0xA700, false},
                                           StoreStatusCase{"DataSetDoesNotMatch", 0xA900, false},
                                           StoreStatusCase{"CannotUnderstand", 0xC000, false}),
                         [](const auto& info) { return info.param.name; });

// The abort names the likely cause instead of the raw request.
TEST(Store, AbortedStoreIsExplainedInWords) {
    TestScpBehaviour b;
    b.abortOnStore = true;
    TestScp scp(b);
    auto store = NewStore(scp.port(), scp.aet());
    store->Open(kCRImageStorage);
    const DicomError error = ExpectDicomError([&] { store->Store("2.25.7", RedirectRequest("1.2.3")); });
    EXPECT_EQ(std::string(error.what()),
              dicom::StoreAbortedWords(scp.aet() + " (127.0.0.1:" + std::to_string(scp.port()) + ")", kOurAet,
                                       "association aborted by the peer"));
}

TEST(Store, WithoutOpenIsADicomError) {
    auto store = NewStore(1, "NOBODY");
    EXPECT_EQ(ExpectDicomError([&] { store->Store("2.25.7", RedirectRequest("1.2.3")); }).number(),
              dicom::kErrInvalidArgument);
}

TEST(Store, ProposesTheClassItIsAskedToStore) {
    TestScp scp;  // accepts CR Image Storage only
    auto store = NewStore(scp.port(), scp.aet());
    // Secondary Capture is proposed, and the peer refuses the association
    // for want of a context it accepts.
    EXPECT_THROW(store->Open("1.2.840.10008.5.1.4.1.1.7"), DicomError);
    EXPECT_TRUE(scp.Record().stores.empty());
}

TEST(Store, RefusedAssociationIsADicomError) {
    TestScpBehaviour b;
    b.refuseAssociation = true;
    TestScp scp(b);
    auto store = NewStore(scp.port(), scp.aet());
    EXPECT_EQ(ExpectDicomError([&] { store->Open(kCRImageStorage); }).number(),
              dicom::kErrAssociationRejected);
}

}  // namespace
}  // namespace pelko::test
