// An archive that hangs after a request: the error must come when the
// response time-out runs out, not after a further wait for the hung peer to
// close the connection (the log names only the response time-out).
#include <gtest/gtest.h>

#include <future>
#include <ostream>

#include "network/NetworkSupport.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

using namespace std::chrono_literals;

struct SilentCase {
    std::string name;
    std::function<void(const TestScp&, const dicom::Timeouts&)> request;
    std::string operation;  // how the error begins
};
void PrintTo(const SilentCase& c, std::ostream* os) {
    *os << c.name;
}

class SilentArchive : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentArchive, FailsWhenTheResponseTimeOutRunsOutAndClosesTheConnection) {
    TestScpBehaviour b;
    b.neverAnswer = true;
    TestScp scp(b);
    // Only the response time-out is short. Another wait of the association
    // time-out after it (for the hung peer to close) would outlast the bound
    // below.
    dicom::Timeouts timeouts = ShortTimeouts(1);
    timeouts.associationSeconds = 60;

    auto call = std::async(std::launch::async,
                           [&] { return ExpectDicomError([&] { GetParam().request(scp, timeouts); }); });
    ASSERT_EQ(call.wait_for(std::chrono::seconds(timeouts.associationSeconds / 2)), std::future_status::ready)
        << "the failed call waited on for the silent peer";
    const dicom::DicomError error = call.get();
    EXPECT_EQ(error.number(), dicom::kErrTimeout) << error.what();
    EXPECT_NE(std::string(error.what()).find("(" + GetParam().operation), std::string::npos) << error.what();

    // The hung archive sees the connection closed, without reading a byte.
    ASSERT_TRUE(scp.WaitForEnded(1));
    EXPECT_EQ(scp.Record().otherEnd, 1);
}

INSTANTIATE_TEST_SUITE_P(, SilentArchive,
                         ::testing::Values(SilentCase{"Find",
                                                      [](const TestScp& scp, const dicom::Timeouts& t) {
                                                          auto query = NewQuery(scp.port(), scp.aet(), t);
                                                          query->Find(ReturnKeys());
                                                      },
                                                      "C-FIND on "},
                                           SilentCase{"Move",
                                                      [](const TestScp& scp, const dicom::Timeouts& t) {
                                                          auto query = NewQuery(scp.port(), scp.aet(), t);
                                                          query->Move("1.2.3", "DEST1");
                                                      },
                                                      "C-MOVE of study 1.2.3 to DEST1 on "},
                                           SilentCase{"Store",
                                                      [](const TestScp& scp, const dicom::Timeouts& t) {
                                                          auto store = NewStore(scp.port(), scp.aet(), t);
                                                          store->Open("1.2.840.10008.5.1.4.1.1.1");
                                                          dicom::Dataset request;
                                                          request.Attributes().Add(
                                                              dicom::tags::RedirectMarker, "REDIRECT");
                                                          store->Store("2.25.7", request);
                                                      },
                                                      "C-STORE of 2.25.7 on "}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pelko::test
