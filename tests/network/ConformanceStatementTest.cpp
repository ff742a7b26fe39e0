// docs/conformance-statement.md against the wire: its SOP classes and
// presentation contexts, and its maximum PDU, are those the adapter
// proposes in its four activities.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "network/NetworkSupport.h"
#include "peers/TestScp.h"
#include "send/Sender.h"

namespace pelko::test {
namespace {

TEST(ConformanceStatement, ListsWhatTheAdapterProposes) {
    TestScpBehaviour b;
    b.matches = 1;
    TestScp scp(b);
    NewQuery(scp.port(), scp.aet())->Find(ReturnKeys());
    NewQuery(scp.port(), scp.aet())->Move(TestScpStudyUID(1), "DEST9", nullptr);
    NewStore(scp.port(), scp.aet())->Open(send::kRedirectSopClass);
    dicom::MakeDcmtkToolkit()->Echo(PeerAt(scp.port(), scp.aet()));
    const TestScpRecord record = scp.Record();
    std::set<std::string> sopClasses;
    for (const auto& p : record.proposed) sopClasses.insert(p.first);

    // Table rows "| name | UID | ..." (SOP classes), with "| ts name | ts UID |"
    // after them (presentation contexts).
    std::ifstream in(PELKO_DOCS_DIR "/conformance-statement.md");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::regex row(
        R"(\n\| ([^|]+) \| (1\.2\.840\.10008[.0-9]+) \|(?: [^|]+ \| (1\.2\.840\.10008[.0-9]+) \|)?)");
    std::set<std::string> listedClasses;
    std::set<std::pair<std::string, std::string>> listedContexts;
    for (std::sregex_iterator m(text.begin(), text.end(), row), end; m != end; ++m) {
        if ((*m)[1] == "Application Context Name") continue;
        listedClasses.insert((*m)[2]);
        if ((*m)[3].matched) listedContexts.insert({(*m)[2], (*m)[3]});
    }
    EXPECT_EQ(listedContexts, std::set(record.proposed.begin(), record.proposed.end()));
    EXPECT_EQ(listedClasses, sopClasses);
    for (unsigned long pdu : record.maxPdus) {
        EXPECT_NE(text.find("| Maximum PDU size received | " + std::to_string(pdu) + " bytes |"), text.npos);
    }
    EXPECT_EQ(record.maxPdus.size(), 4u);
}

}  // namespace
}  // namespace pelko::test
