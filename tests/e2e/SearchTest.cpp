// The search from the panel to the grid over the network: Orthanc as the
// archive for what comes back, TestScp for what goes out on the wire and for
// archives that fail.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "e2e/Workstation.h"
#include "peers/OrthancFixture.h"
#include "peers/Ports.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

using query::SearchField;
namespace tags = dicom::tags;

const std::string kMuellerUid = "1.2.826.0.1.3680043.9.7311.600.1";
const std::string kSmithUid = "1.2.826.0.1.3680043.9.7311.600.2";
const std::string kOtherUid = "1.2.826.0.1.3680043.9.7311.600.3";
const std::string kBoxA = std::string("error: ") + kSeeLogMessage;

IniValues Archive(const std::string& aet, int port) {
    IniValues v;
    v.archiveAet = aet;
    v.archivePort = port;
    return v;
}

// --- what comes back: Orthanc's answers in the grid

TEST(SearchAgainstOrthanc, TheGridShowsTheMatchingStudies) {
    OrthancFixture orthanc;
    const std::string sc = R"("SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT")";
    orthanc.CreateInstance(R"({"SpecificCharacterSet": "ISO_IR 100", "PatientName": "Müller^Jürgen",
        "PatientID": "P1", "StudyDate": "20240112", "StudyInstanceUID": ")" +
                           kMuellerUid + "\", " + sc + "}");
    orthanc.CreateInstance(R"({"PatientName": "Smith^John", "PatientID": "P2", "StudyDate": "20240301",
        "StudyInstanceUID": ")" +
                           kSmithUid + "\", " + sc + "}");
    orthanc.CreateInstance(R"({"PatientName": "Smith^Jane", "PatientID": "P3", "StudyDate": "20240302",
        "StudyInstanceUID": ")" +
                           kOtherUid + "\", " + sc + "}");

    struct Case {
        const char* last;
        const char* first;
        // Columns 1, 2, 3 and 4 of each row.
        std::vector<std::vector<std::string>> rows;
    };
    const Case cases[] = {
        // Latin-1 on the wire both ways, UTF-8 in the grid.
        {"Müller", "Jürgen", {{kMuellerUid, "20240112", "P1", "Müller Jürgen"}}},
        {"Smith", "John", {{kSmithUid, "20240301", "P2", "Smith John"}}},
        {"Nobody", "", {{"", query::kNoData, "", ""}}},
    };
    Workstation ws;
    ws.configure(Archive(orthanc.aet(), orthanc.dicomPort()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        ws.typeNames(c.last, c.first);
        ws.search.Search();

        std::vector<std::vector<std::string>> rows;
        for (int r = 1; r <= ws.grid.rowCount(); ++r) {
            rows.push_back({ws.grid.text(r, 1), ws.grid.text(r, 2), ws.grid.text(r, 3), ws.grid.text(r, 4)});
        }
        EXPECT_EQ(rows, c.rows);
    }
    EXPECT_EQ(ws.shell.messages, std::vector<std::string>{});
    EXPECT_EQ(ws.errorLogLines(), std::vector<std::string>{});
}

// --- what goes out: the identifier as the archive reads it

TEST(SearchIdentifier, ReachesTheArchiveAsTheUserMeantIt) {
    struct Case {
        const char* name;
        std::function<void(Workstation&)> fill;
        bool registered;
        bool week;  // the "Week" preset instead of "Search"
        // (tag, value as the archive decodes it); "" expects an empty value.
        std::vector<std::pair<dicom::Tag, std::string>> expected;
    };
    const dicom::Tag kCharset{0x0008, 0x0005};
    const Case cases[] = {
        {"last name only",
         [](Workstation& w) { w.typeNames("Smith"); },
         false,
         false,
         {{tags::PatientName, "Smith"}, {tags::StudyDate, ""}}},
        {"first name only",
         [](Workstation& w) { w.typeNames("", "John"); },
         false,
         false,
         {{tags::PatientName, "*^John"}}},
        {"both names",
         [](Workstation& w) { w.typeNames("Smith", "John"); },
         false,
         false,
         {{tags::PatientName, "Smith^John"}}},
        {"blank inside the last name",
         [](Workstation& w) { w.typeNames("van Dam"); },
         false,
         false,
         {{tags::PatientName, "van^Dam"}}},
        {"repeated wildcards",
         [](Workstation& w) { w.typeNames("a***b%%%"); },
         false,
         false,
         {{tags::PatientName, "a*b%"}}},
        {"Latin-1 name",
         [](Workstation& w) { w.typeNames("Müller", "Jürgen"); },
         false,
         false,
         {{tags::PatientName, "Müller^Jürgen"}, {kCharset, "ISO_IR 100"}}},
        // The clock stands at 5 March 2024.
        {"week preset",
         [](Workstation&) {},
         false,
         true,
         {{tags::StudyDate, "20240227-20240305"}, {tags::PatientName, ""}}},
        {"registered date",
         [](Workstation& w) {
             w.typeNames("Smith");
             w.panel.study = std::chrono::year{2024} / 3 / 1;
         },
         true,
         false,
         {{tags::RegisteredDate, "20240301"}, {tags::StudyDate, ""}}},
        {"accession number only",
         [](Workstation& w) { w.panel.values.accessionNumber = "ACC-4711"; },
         false,
         false,
         {{tags::AccessionNumber, "ACC-4711"}, {tags::PatientName, ""}, {tags::PatientID, ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestScp scp;
        Workstation ws;
        IniValues ini = Archive(scp.aet(), scp.port());
        ini.registered = c.registered;
        ws.configure(ini);
        c.fill(ws);
        if (c.week) {
            ws.search.Week();
        } else {
            ws.search.Search();
        }

        EXPECT_EQ(ws.shell.messages, std::vector<std::string>{});
        ASSERT_TRUE(scp.WaitForEnded(1));
        const TestScpRecord record = scp.Record();
        ASSERT_EQ(record.findIdentifiers.size(), 1u);
        const WireDataset& sent = record.findIdentifiers[0];
        for (const auto& [tag, value] : c.expected) {
            const WireElement* e = sent.Find(tag);
            ASSERT_NE(e, nullptr) << std::hex << tag.group << "," << tag.element;
            EXPECT_EQ(e->text, value) << std::hex << tag.group << "," << tag.element;
        }
        const WireElement* level = sent.Find(tags::QueryRetrieveLevel);
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(level->value, "STUDY");
        // The registered date goes only where the option sends it.
        EXPECT_EQ(sent.Find(tags::RegisteredDate) != nullptr, c.registered);
        // An empty result: the "No data" row.
        EXPECT_EQ(ws.grid.column(2), std::vector<std::string>{query::kNoData});
    }
}

// --- archives that fail

struct FailingArchive {
    std::string name;
    // Starts the failing peer; returns its AE title and port.
    std::function<std::pair<std::string, int>(std::unique_ptr<TestScp>&)> start;
    int number;  // of the Error.log line
};

void PrintTo(const FailingArchive& c, std::ostream* os) {
    *os << c.name;
}

TestScpBehaviour Silent() {
    TestScpBehaviour b;
    b.neverAnswer = true;
    return b;
}

TestScpBehaviour Refusing() {
    TestScpBehaviour b;
    b.refuseAssociation = true;
    return b;
}

TestScpBehaviour AbortingMidAnswer() {
    TestScpBehaviour b;
    b.matches = 5;
    b.abortAfter = 2;
    return b;
}

std::function<std::pair<std::string, int>(std::unique_ptr<TestScp>&)> Scp(TestScpBehaviour b) {
    return [b](std::unique_ptr<TestScp>& scp) {
        scp = std::make_unique<TestScp>(b);
        return std::make_pair(scp->aet(), scp->port());
    };
}

const FailingArchive kFailingArchives[] = {
    {"Stopped", [](std::unique_ptr<TestScp>&) { return std::make_pair(std::string("GONE"), FreePort()); },
     dicom::kErrNoConnection},
    {"Silent", Scp(Silent()), dicom::kErrTimeout},
    {"Refusing", Scp(Refusing()), dicom::kErrAssociationRejected},
    {"AbortingMidAnswer", Scp(AbortingMidAnswer()), dicom::kErrAssociationAborted},
};

class SearchAgainstFailingArchive : public ::testing::TestWithParam<FailingArchive> {};

TEST_P(SearchAgainstFailingArchive, IsReportedOnceAndTheNextSearchWorks) {
    std::unique_ptr<TestScp> failing;
    const auto [aet, port] = GetParam().start(failing);
    Workstation ws(E2eTimeouts(2));
    ws.configure(Archive(aet, port));
    ws.typeNames("Smith");
    ws.search.Search();

    EXPECT_EQ(ws.shell.messages, std::vector<std::string>{kBoxA});
    const auto errors = ws.errorLogLines();
    ASSERT_EQ(errors.size(), 1u);
    const LoggedError logged = ParseErrorLine(errors[0]);
    EXPECT_EQ(logged.number, std::to_string(GetParam().number)) << errors[0];
    EXPECT_EQ(logged.label, query::kSearchLabel) << errors[0];
    const auto debug = ws.debugLogLines();
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_NE(debug[0].find("ERROR: " + logged.description), std::string::npos) << debug[0];
    EXPECT_EQ(ws.grid.rowCount(), 0);

    // The same program, the archive back in order.
    TestScpBehaviour working;
    working.matches = 3;
    TestScp archive(working);
    ws.configure(Archive(archive.aet(), archive.port()));
    ws.shell.messages.clear();
    ws.search.Search();

    EXPECT_EQ(ws.shell.messages, std::vector<std::string>{});
    EXPECT_EQ(ws.gridUids(),
              (std::vector<std::string>{TestScpStudyUID(1), TestScpStudyUID(2), TestScpStudyUID(3)}));
    EXPECT_EQ(ws.errorLogLines().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, SearchAgainstFailingArchive, ::testing::ValuesIn(kFailingArchives),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pelko::test
