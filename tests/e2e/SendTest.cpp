// "Send" from the grid's selection over the network. Move mode: Orthanc as
// the archive moves the studies to storescp destinations. Forward mode: the
// redirect requests as a store SCP receives them, and as Orthanc refuses
// them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <set>

#include "e2e/Workstation.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"
#include "peers/TestScp.h"

namespace pelko::test {
namespace {

namespace tags = dicom::tags;

// Five studies of patients "Doe^...", one of them with two instances.
struct SeededStudy {
    std::string uid;
    std::string name;
    int instances;
};
const std::vector<SeededStudy> kStudies = {
    {"1.2.826.0.1.3680043.9.7311.700.1", "Doe^Anna", 1}, {"1.2.826.0.1.3680043.9.7311.700.2", "Doe^Ben", 2},
    {"1.2.826.0.1.3680043.9.7311.700.3", "Doe^Cleo", 1}, {"1.2.826.0.1.3680043.9.7311.700.4", "Doe^Dan", 1},
    {"1.2.826.0.1.3680043.9.7311.700.5", "Doe^Eve", 1},
};

void Seed(OrthancFixture& orthanc, const std::vector<SeededStudy>& studies) {
    int id = 0;
    for (const auto& s : studies) {
        ++id;
        for (int i = 0; i < s.instances; ++i) {
            orthanc.CreateInstance(R"({"PatientName": ")" + s.name + R"(", "PatientID": "P)" +
                                   std::to_string(id) +
                                   R"(", "StudyDate": "20240301", "StudyInstanceUID": ")" + s.uid +
                                   R"(", "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT"})");
        }
    }
}

int InstancesOf(const std::string& uid) {
    for (const auto& s : kStudies) {
        if (s.uid == uid) return s.instances;
    }
    return 0;
}

IniValues Archive(const std::string& aet, int port, std::vector<std::string> nodes = {},
                  bool forward = false) {
    IniValues v;
    v.archiveAet = aet;
    v.archivePort = port;
    v.nodes = std::move(nodes);
    v.forward = forward;
    return v;
}

// Searches "Doe*" and selects rows 1, 3 and 5 of the five; returns the
// Study Instance UIDs of the selected rows.
std::vector<std::string> SearchAndSelect(Workstation& ws, std::vector<int> rows = {1, 3, 5}) {
    ws.typeNames("Doe*");
    ws.search.Search();
    EXPECT_EQ(ws.grid.rowCount(), 5);
    std::vector<std::string> uids;
    for (int r : rows) {
        ws.grid.selectRow(r);
        uids.push_back(ws.grid.uids()[static_cast<std::size_t>(r - 1)]);
    }
    std::sort(uids.begin(), uids.end());
    return uids;
}

// The Study Instance UIDs one file per instance of `studies` would carry.
std::vector<std::string> InstanceUids(const std::vector<std::string>& studies) {
    std::vector<std::string> uids;
    for (const auto& s : studies) uids.insert(uids.end(), static_cast<std::size_t>(InstancesOf(s)), s);
    std::sort(uids.begin(), uids.end());
    return uids;
}

std::vector<std::string> ReceivedStudies(const StoreScpFixture& dest) {
    auto uids = dest.StudyUIDs();
    std::sort(uids.begin(), uids.end());
    return uids;
}

// --- move mode

struct MoveCase {
    std::string name;
    std::vector<std::string> nodes;      // Node0, Node1, ...
    std::vector<int> clicked;            // node buttons clicked before "Send"
    bool archiveGone;                    // Orthanc stops between the search and "Send"
    std::vector<std::string> receiving;  // destinations that get the studies
    std::vector<std::string> failing;    // destinations reported as failed, in slot order
    std::optional<int> failureNumber;    // none: the archive's failure status
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

const MoveCase kMoveCases[] = {
    {"TwoMarkedNodes",
     {"First|DEST1", "Second|DEST2", "Third|DEST3"},
     {0, 1},
     false,
     {"DEST1", "DEST2"},
     {},
     std::nullopt},
    // DESTX is unknown to the archive; the node after it still gets its studies.
    {"UnknownDestination",
     {"Unknown|DESTX", "Second|DEST2", "First|DEST1"},
     {0, 1},
     false,
     {"DEST2"},
     {"DESTX"},
     std::nullopt},
    {"ArchiveStopped",
     {"First|DEST1", "Second|DEST2"},
     {0, 1},
     true,
     {},
     {"DEST1", "DEST2"},
     dicom::kErrNoConnection},
};

class MoveMode : public ::testing::TestWithParam<MoveCase> {};

// Orthanc seeded with kStudies, started once for the cases that leave it
// running; each case registers its own destinations.
OrthancFixture& SeededArchive() {
    static const auto archive = [] {
        auto orthanc = std::make_unique<OrthancFixture>();
        Seed(*orthanc, kStudies);
        return orthanc;
    }();
    return *archive;
}

TEST_P(MoveMode, SelectedStudiesReachExactlyTheMarkedNodes) {
    const MoveCase& c = GetParam();
    std::map<std::string, std::unique_ptr<StoreScpFixture>> dests;
    dests["DEST1"] = std::make_unique<StoreScpFixture>("DEST1");
    dests["DEST2"] = std::make_unique<StoreScpFixture>("DEST2");
    std::unique_ptr<OrthancFixture> own;  // the archive that the case stops
    if (c.archiveGone) {
        own = std::make_unique<OrthancFixture>();
        Seed(*own, kStudies);
    }
    OrthancFixture* orthanc = own ? own.get() : &SeededArchive();
    for (const auto& [aet, dest] : dests) orthanc->SetModality({aet, dest->port()});

    Workstation ws;
    ws.configure(Archive(orthanc->aet(), orthanc->dicomPort(), c.nodes));
    const auto selected = SearchAndSelect(ws);
    for (int slot : c.clicked) ws.nodes.NodeClicked(slot);
    if (c.archiveGone) own.reset();

    EXPECT_TRUE(ws.sender.Send());

    // The messages: one error per failed destination, then the summary of
    // those that succeeded.
    const auto errors = ws.errorLogLines();
    ASSERT_EQ(errors.size(), c.failing.size());
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const LoggedError e = ParseErrorLine(errors[i]);
        EXPECT_EQ(e.label, "Send");
        const int number = std::stoi(e.number);
        if (c.failureNumber) {
            EXPECT_EQ(number, *c.failureNumber) << errors[i];
        } else {
            EXPECT_TRUE(number >= 0xA000 && number <= 0xCFFF) << errors[i];
            EXPECT_NE(e.description.find("add " + c.failing[i] + " as a move destination"), std::string::npos)
                << errors[i];
        }
        expected.push_back("error: " + ErrorDetails(number, e.description) + " (" + c.failing[i] + ")");
    }
    std::string summary;
    for (const auto& node : c.nodes) {
        const std::string aet = node.substr(node.find('|') + 1);
        if (std::find(c.receiving.begin(), c.receiving.end(), aet) != c.receiving.end()) {
            summary += "Sending was successful (3 / 3) to " + aet + ".\n\n";
        }
    }
    if (!summary.empty()) expected.push_back("info: " + summary);
    EXPECT_EQ(ws.shell.messages, expected);

    // The files: C-MOVE returns once the sub-operations are done.
    for (const auto& [aet, dest] : dests) {
        SCOPED_TRACE(aet);
        const bool receives = std::find(c.receiving.begin(), c.receiving.end(), aet) != c.receiving.end();
        const auto want = receives ? InstanceUids(selected) : std::vector<std::string>{};
        EXPECT_TRUE(dest->WaitForFiles(want.size()));
        EXPECT_EQ(ReceivedStudies(*dest), want);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MoveMode, ::testing::ValuesIn(kMoveCases),
                         [](const auto& info) { return info.param.name; });

// --- forward mode

// The value bytes of a text element of even length, as DICOM pads it.
std::string Padded(std::string value) {
    if (value.size() % 2 != 0) value += ' ';
    return value;
}

TEST(ForwardMode, OneRedirectRequestPerSelectedStudyArrives) {
    // The grid comes from a search; the archive that takes the requests is
    // a store SCP.
    TestScpBehaviour searched;
    searched.matches = 3;
    TestScp source(searched);
    StoreScpFixture archive("ARCHIVE");
    Workstation ws;
    ws.configure(Archive(source.aet(), source.port()));
    ws.typeNames("Doe*");
    ws.search.Search();
    ASSERT_EQ(ws.grid.rowCount(), 3);
    ws.grid.selectRow(1);
    ws.grid.selectRow(3);
    ws.configure(Archive(archive.aet(), archive.port(), {}, true));

    EXPECT_TRUE(ws.sender.Send());

    EXPECT_EQ(ws.shell.messages, std::vector<std::string>{"info: " + std::string(send::kRequestsCompleted)});
    EXPECT_EQ(ws.errorLogLines(), std::vector<std::string>{});
    ASSERT_TRUE(archive.WaitForFiles(2));
    const auto files = archive.Files();
    ASSERT_EQ(files.size(), 2u);

    const std::regex uuidUid(R"(2\.25\.(0|[1-9][0-9]*))");
    std::set<std::string> instanceUids;
    std::set<std::string> studies;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const WireDataset ds = ReadDicomFile(file);
        std::vector<std::string> seen;
        for (const auto& e : ds.elements) {
            char tag[16];
            std::snprintf(tag, sizeof tag, "%04X,%04X", e.tag.group, e.tag.element);
            seen.push_back(std::string(tag) + " " + e.vr);
        }
        EXPECT_EQ(seen,
                  (std::vector<std::string>{"0008,0016 UI", "0008,0018 UI", "0019,0010 LO", "0019,0030 LO"}));
        const WireElement* sopClass = ds.Find({0x0008, 0x0016});
        const WireElement* sopInstance = ds.Find({0x0008, 0x0018});
        const WireElement* marker = ds.Find(tags::RedirectMarker);
        const WireElement* study = ds.Find(tags::RedirectStudyUID);
        ASSERT_TRUE(sopClass && sopInstance && marker && study);
        EXPECT_EQ(sopClass->value, send::kRedirectSopClass);
        EXPECT_EQ(marker->raw, "REDIRECT");
        EXPECT_EQ(study->raw, Padded(study->value));
        EXPECT_TRUE(std::regex_match(sopInstance->value, uuidUid)) << sopInstance->value;
        EXPECT_LE(sopInstance->value.size(), 64u);
        instanceUids.insert(sopInstance->value);
        studies.insert(study->value);
    }
    EXPECT_EQ(instanceUids.size(), 2u);
    EXPECT_EQ(studies, (std::set<std::string>{TestScpStudyUID(1), TestScpStudyUID(3)}));
}

TEST(ForwardMode, ARefusedRequestIsReportedAndNothingCompletes) {
    OrthancFixture orthanc;
    Seed(orthanc, kStudies);
    Workstation ws;
    ws.configure(Archive(orthanc.aet(), orthanc.dicomPort(), {}, true));
    SearchAndSelect(ws, {2, 4});

    EXPECT_TRUE(ws.sender.Send());

    const auto errors = ws.errorLogLines();
    ASSERT_EQ(errors.size(), 1u);
    const LoggedError e = ParseErrorLine(errors[0]);
    EXPECT_EQ(e.number, "42752") << errors[0];
    EXPECT_EQ(e.label, "Send");
    EXPECT_EQ(ws.shell.messages, std::vector<std::string>{"error: " + ErrorDetails(0xA700, e.description)});
    // Nothing was stored beside the seeded instances.
    const auto instances = orthanc.Get("/instances");
    EXPECT_EQ(std::count(instances.body.begin(), instances.body.end(), ','), 5) << instances.body;
}

}  // namespace
}  // namespace pelko::test
