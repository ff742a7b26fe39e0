#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

#include "SendFixture.h"
#include "base/ActionGate.h"
#include "send/Sender.h"
#include "support/FakeToolkit.h"

namespace pelko::test {
namespace {

const std::string kArchive =
    "[Local]\r\nAET=PELKO\r\n[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=11112\r\n";
const std::string kNodes =
    "[Forward]\r\nNode0=Alpha|ALPHA\r\nNode1=Beta|BETA\r\nNode2=Gamma|GAMMA\r\nNode3=Delta|DELTA\r\n";
const std::string kBoxA = std::string("error: ") + pelko::kSeeLogMessage;
const std::string kCompleted = "info: Request(s) completed.\nThis process might take a few seconds.";

struct Rig : send::SendSwitch {
    Program p;
    FakeNodeButtons view;
    send::NodeSlots nodes{view, p.shell, p.settings, p.errors};
    FakeToolkit kit;
    FakeSelection grid;
    ActionGate gate;
    send::Sender sender{p.shell, *this, p.settings, p.errors, kit, grid, nodes, gate};
    bool sendEnabled = true;
    void disableSend() override { sendEnabled = false; }

    // Four nodes with the given marks; three studies selected.
    void setUp(const std::vector<std::string>& active, bool forward) {
        p.writeIni(kArchive + "[General]\r\nForward=" + (forward ? "1" : "0") + "\r\n" + kNodes +
                   ActiveSection(active));
        nodes.RebuildFromSettings();
        p.settings.Reload();
        grid.uids = {"1.2.3", "1.2.1", "1.2.2"};
        p.shell.captions.clear();
        p.shell.pumps = 0;
        ASSERT_TRUE(p.shell.messages.empty());
    }

    // "<association> <destination> <study>" per move.
    std::vector<std::string> moves() const {
        std::vector<std::string> r;
        for (const auto& m : kit.moves) {
            r.push_back(std::to_string(m.association) + " " + m.destination + " " + m.studyUID);
        }
        return r;
    }
    void removeSettings() { std::filesystem::remove(p.ini()); }
};

const std::vector<std::string> kSixCaptions = {"Pelko - BETA(1 / 3)",
                                               "Pelko - BETA(2 / 3)",
                                               "Pelko - BETA(3 / 3)",
                                               "Pelko - DELTA(1 / 3)",
                                               "Pelko - DELTA(2 / 3)",
                                               "Pelko - DELTA(3 / 3)",
                                               "Pelko"};

struct MoveCase {
    const char* name;
    std::vector<std::string> active;
    std::function<void(Rig&)> arrange;
    std::vector<std::string> moves;
    std::vector<std::string> captions;
    std::vector<std::string> messages;
    std::vector<std::string> logged;  // "<number> - <description> - <label>" per error-log line
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

const MoveCase kMoveCases[] = {
    {"TwoNodesThreeStudies",
     {"0", "1", "0", "1"},
     nullptr,
     {"1 BETA 1.2.3", "1 BETA 1.2.1", "1 BETA 1.2.2", "2 DELTA 1.2.3", "2 DELTA 1.2.1", "2 DELTA 1.2.2"},
     kSixCaptions,
     {"info: Sending was successful (3 / 3) to BETA.\n\nSending was successful (3 / 3) to DELTA.\n\n"},
     {}},
    {"FailingDestinationDoesNotStopTheNext",
     {"0", "1", "0", "1"},
     [](Rig& r) {
         r.kit.onMove = [](const MoveCall& m) {
             if (m.destination == "BETA" && m.studyUID == "1.2.1")
                 throw dicom::DicomError(42753, "Move failed");
         };
     },
     {"1 BETA 1.2.3", "2 DELTA 1.2.3", "2 DELTA 1.2.1", "2 DELTA 1.2.2"},
     {"Pelko - BETA(1 / 3)", "Pelko - BETA(2 / 3)", "Pelko - DELTA(1 / 3)", "Pelko - DELTA(2 / 3)",
      "Pelko - DELTA(3 / 3)", "Pelko"},
     {"error: 42753 - Move failed (BETA)", "info: Sending was successful (3 / 3) to DELTA.\n\n"},
     {"42753 - Move failed - Send"}},
    // Only final counts given and adding up to 0 mean that nothing was sent.
    {"ArchiveSentNothingOfOneStudy",
     {"0", "1", "0", "1"},
     [](Rig& r) {
         r.kit.scriptMove = [](const MoveCall& m) {
             ScriptedMove s;
             if (m.studyUID == "1.2.1") s.reported = dicom::MoveCounts{};
             if (m.studyUID == "1.2.2") s.reported = dicom::MoveCounts{0, 0, 0, 1};
             if (m.destination == "DELTA") s.reported.reset();
             return s;
         };
     },
     {"1 BETA 1.2.3", "1 BETA 1.2.1", "1 BETA 1.2.2", "2 DELTA 1.2.3", "2 DELTA 1.2.1", "2 DELTA 1.2.2"},
     kSixCaptions,
     {"info: Sending was successful (2 / 3) to BETA.\nThe archive sent no images of 1 study, probably "
      "because "
      "it does not hold it; Error.log names it.\n\nSending was successful (3 / 3) to DELTA.\n\n"},
     {"1012 - The archive sent no images of the study of Patient 1.2.1 of 09.03.2026 to BETA: it reported 0 "
      "sent, 0 failed, 0 with warnings, probably because it does not hold the study (Study Instance UID "
      "1.2.1) - Send"}},
    {"NoMarkedNode", {}, nullptr, {}, {"Pelko"}, {}, {}},
    {"SettingsMissing",
     {"1", "0", "1"},
     [](Rig& r) { r.removeSettings(); },
     {},
     {"Pelko"},
     {kBoxA, "error: Sending failed.", kBoxA, "error: Sending failed."},
     {"0 - Settings.ini is not available - CheckInI", "0 - Settings.ini is not available - CheckInI"}},
    {"StudyWithoutUidFailsItsDestinationOnly",
     {"1", "0", "1"},
     [](Rig& r) {
         r.grid.uids = {"1.2.1", "", "1.2.2"};
     },
     {"1 ALPHA 1.2.1", "2 GAMMA 1.2.1"},
     {"Pelko - ALPHA(1 / 3)", "Pelko - GAMMA(1 / 3)", "Pelko"},
     {"error: 1008 - Selected study 2 has no Study Instance UID (ALPHA)",
      "error: 1008 - Selected study 2 has no Study Instance UID (GAMMA)"},
     {"1008 - Selected study 2 has no Study Instance UID - Send",
      "1008 - Selected study 2 has no Study Instance UID - Send"}},
};

class MoveModeTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveModeTest, MovesEveryStudyToEveryMarkedNode) {
    const MoveCase& c = GetParam();
    Rig r;
    r.setUp(c.active, false);
    if (c.arrange) c.arrange(r);

    EXPECT_TRUE(r.sender.Send());

    EXPECT_EQ(r.moves(), c.moves);
    for (const auto& m : r.kit.moves) {
        EXPECT_EQ(m.peer.port, 11112);
        EXPECT_EQ(m.peer.host, "127.0.0.1");
        EXPECT_EQ(m.peer.calledAET, "ARCHIVE");
        EXPECT_EQ(m.peer.callingAET, "PELKO");
    }
    EXPECT_EQ(r.p.shell.captions, c.captions);
    EXPECT_EQ(r.p.shell.caption(), "Pelko");
    EXPECT_EQ(r.p.shell.messages, c.messages);
    EXPECT_EQ(LoggedEntries(r.p.errorLog()), c.logged);
    // Log line first, then the box.
    if (!r.p.shell.errorLogAtBox.empty()) {
        EXPECT_EQ(LoggedEntries(r.p.shell.errorLogAtBox.back()).size(), c.logged.size());
    }
    EXPECT_FALSE(r.sendEnabled);
    EXPECT_TRUE(r.kit.stores.empty());
    EXPECT_FALSE(r.gate.busy());
}

INSTANTIATE_TEST_SUITE_P(Cases, MoveModeTest, ::testing::ValuesIn(kMoveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MoveMode, AMarkedButHiddenSlotReceivesNothing) {
    Rig r;
    r.setUp({"0", "1", "0", "1"}, false);
    r.p.writeIni(kArchive + "[Forward]\r\nNode0=Alpha|ALPHA\r\nNode1=Beta|BETA\r\nNode2=Gamma|GAMMA\r\n");
    r.nodes.RebuildFromSettings();
    ASSERT_TRUE(r.nodes.slot(3).marked);

    r.sender.Send();

    EXPECT_EQ(r.moves(), (std::vector<std::string>{"1 BETA 1.2.3", "1 BETA 1.2.1", "1 BETA 1.2.2"}));
}

struct ForwardCase {
    const char* name;
    std::function<void(Rig&)> arrange;
    std::vector<std::string> storeEvents;
    std::vector<std::string> storedStudies;
    std::vector<std::string> messages;
    std::vector<std::string> logged;
};

void PrintTo(const ForwardCase& c, std::ostream* os) {
    *os << c.name;
}

// The association proposes CR Image Storage, the class of the requests.
const std::string kOpen = "open 127.0.0.1 11112 PELKO ARCHIVE 1.2.840.10008.5.1.4.1.1.1";

const ForwardCase kForwardCases[] = {
    {"OneRequestPerStudy",
     nullptr,
     {kOpen, "store", "store", "store", "close"},
     {"1.2.3", "1.2.1", "1.2.2"},
     {kCompleted},
     {}},
    {"NoStudySelected", [](Rig& r) { r.grid.uids.clear(); }, {kOpen, "close"}, {}, {kCompleted}, {}},
    {"RefusedStoreEndsTheSend",
     [](Rig& r) {
         r.kit.onStore = [&r](const StoreCall&) {
             if (r.kit.stores.size() == 1) throw dicom::DicomError(42752, "Out of resources");
         };
     },
     {kOpen, "store", "store"},
     {"1.2.3"},
     {"error: 42752 - Out of resources"},
     {"42752 - Out of resources - Send"}},
    {"OpenFails",
     [](Rig& r) { r.kit.openError = dicom::DicomError(1002, "Association rejected"); },
     {kOpen},
     {},
     {"error: 1002 - Association rejected"},
     {"1002 - Association rejected - Send"}},
    {"SettingsMissing",
     [](Rig& r) { r.removeSettings(); },
     {},
     {},
     {kBoxA},
     {"0 - Settings.ini is not available - CheckInI"}},
    {"StudyWithoutUidEndsTheSend",
     [](Rig& r) {
         r.grid.uids = {"1.2.1", "", "1.2.2"};
     },
     {kOpen, "store"},
     {"1.2.1"},
     {"error: 1008 - Selected study 2 has no Study Instance UID"},
     {"1008 - Selected study 2 has no Study Instance UID - Send"}},
};

class ForwardModeTest : public ::testing::TestWithParam<ForwardCase> {};

TEST_P(ForwardModeTest, StoresOneRedirectRequestPerStudy) {
    const ForwardCase& c = GetParam();
    Rig r;
    r.setUp({"1", "1"}, true);  // marked nodes play no part
    if (c.arrange) c.arrange(r);

    EXPECT_TRUE(r.sender.Send());

    EXPECT_EQ(r.kit.storeEvents, c.storeEvents);
    std::vector<std::string> studies;
    std::vector<std::string> instances;
    for (const auto& s : r.kit.stores) {
        EXPECT_EQ(s.sopClass, "1.2.840.10008.5.1.4.1.1.1");
        const auto& items = s.dataset.Attributes().items();
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].tag, (dicom::Tag{0x0019, 0x0010}));
        EXPECT_EQ(items[0].value, "REDIRECT");
        EXPECT_EQ(items[1].tag, (dicom::Tag{0x0019, 0x0030}));
        studies.push_back(items[1].value);
        instances.push_back(s.sopInstance);
    }
    EXPECT_EQ(studies, c.storedStudies);
    std::sort(instances.begin(), instances.end());
    EXPECT_EQ(std::adjacent_find(instances.begin(), instances.end()), instances.end()) << "UIDs repeat";
    for (const auto& uid : instances) EXPECT_FALSE(uid.empty());

    EXPECT_EQ(r.p.shell.messages, c.messages);
    EXPECT_EQ(LoggedEntries(r.p.errorLog()), c.logged);
    EXPECT_EQ(r.p.shell.caption(), "Pelko");
    EXPECT_FALSE(r.sendEnabled);
    EXPECT_EQ(r.kit.queryAssociations, 0);
    EXPECT_EQ(r.p.shell.pumps, 0) << "forward mode lets no events run";
}

INSTANTIATE_TEST_SUITE_P(Cases, ForwardModeTest, ::testing::ValuesIn(kForwardCases),
                         [](const auto& info) { return std::string(info.param.name); });

const std::vector<std::string> kSixMoves = {"1 BETA 1.2.3",  "1 BETA 1.2.1",  "1 BETA 1.2.2",
                                            "2 DELTA 1.2.3", "2 DELTA 1.2.1", "2 DELTA 1.2.2"};
const std::string kTwoParagraphs =
    "info: Sending was successful (3 / 3) to BETA.\n\nSending was successful (3 / 3) to DELTA.\n\n";

TEST(SendReentrancy, ASecondSendOrASearchDuringTheSendIsRefused) {
    Rig r;
    r.setUp({"0", "1", "0", "1"}, false);
    int refused = 0;
    r.p.shell.onProcessEvents = [&] {
        if (!r.sender.Send()) ++refused;
        if (!r.gate.tryEnter()) ++refused;  // what a search or the settings ask
    };

    EXPECT_TRUE(r.sender.Send());

    EXPECT_EQ(refused, 2 * r.p.shell.pumps);
    EXPECT_EQ(r.moves(), kSixMoves);
    EXPECT_EQ(r.p.shell.messages, std::vector<std::string>{kTwoParagraphs});
    EXPECT_FALSE(r.gate.busy());
}

TEST(SendReentrancy, ChangesDuringTheSendDoNotRedirectIt) {
    Rig r;
    r.setUp({"0", "1", "0", "1"}, false);
    int pump = 0;
    r.p.shell.onProcessEvents = [&] {
        if (++pump != 3) return;
        // A new search result, another selection, other marks and a rebuilt
        // node list whose slot 3 now holds another node.
        r.grid.uids = {"9.9.9"};
        r.nodes.NodeClicked(0);
        r.nodes.NodeClicked(3);
        r.p.writeIni(kArchive +
                     "[Forward]\r\nNode0=Alpha|ALPHA\r\nNode1=Beta|BETA\r\nNode2=Gamma|GAMMA\r\n"
                     "Node3=Other|OTHER\r\n");
        r.nodes.RebuildFromSettings();
    };

    r.sender.Send();

    EXPECT_EQ(r.moves(), kSixMoves);
    EXPECT_EQ(r.p.shell.captions, kSixCaptions);
    EXPECT_EQ(r.p.shell.messages, std::vector<std::string>{kTwoParagraphs});
    // The next send goes by the new state.
    r.p.shell.onProcessEvents = nullptr;
    r.kit.moves.clear();
    r.sender.Send();
    EXPECT_EQ(r.moves(), (std::vector<std::string>{"3 ALPHA 9.9.9", "4 BETA 9.9.9"}));
}

// A close request cancels the send (a send may not end for a long time)
// and is carried out once it has stopped, without a message in between.
TEST(SendReentrancy, ACloseDuringTheSendCancelsItAndCloses) {
    Rig r;
    r.setUp({"0", "1", "0", "1"}, false);
    std::vector<std::string> seenAtClose{"not closed"};
    int closes = 0;
    r.p.shell.onProcessEvents = [&] {
        r.gate.requestClose([&] {
            ++closes;
            seenAtClose = r.p.shell.messages;
        });
    };

    r.sender.Send();

    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(r.moves().empty());
    EXPECT_TRUE(seenAtClose.empty());
}

TEST(SendReentrancy, RefusedWhileAnotherActionRuns) {
    Rig r;
    r.setUp({"0", "1"}, false);
    auto search = r.gate.tryEnter();

    EXPECT_FALSE(r.sender.Send());

    EXPECT_TRUE(r.kit.moves.empty());
    EXPECT_TRUE(r.p.shell.captions.empty());
    EXPECT_TRUE(r.sendEnabled);
}

TEST(SendFailure, OutsideADestinationStepTheCaptionReturnsToPelko) {
    Rig r;
    r.setUp({"0", "1", "0", "1"}, false);
    // An event handled between BETA and DELTA fails: not a failure of either
    // destination.
    r.p.shell.onProcessEvents = [&] {
        if (r.kit.moves.size() == 3 && r.p.shell.caption() == "Pelko - BETA(3 / 3)")
            throw std::runtime_error("event failed");
    };

    r.sender.Send();

    EXPECT_EQ(r.moves(), (std::vector<std::string>{"1 BETA 1.2.3", "1 BETA 1.2.1", "1 BETA 1.2.2"}));
    EXPECT_EQ(r.p.shell.caption(), "Pelko");
    const auto logged = LoggedEntries(r.p.errorLog());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0].ends_with(" - Send")) << logged[0];
    ASSERT_EQ(r.p.shell.messages.size(), 1u);
    EXPECT_TRUE(r.p.shell.messages[0].starts_with("error: ")) << r.p.shell.messages[0];
    EXPECT_FALSE(r.gate.busy());
}

}  // namespace
}  // namespace pelko::test
