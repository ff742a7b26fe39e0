// The Series window's logic over the fake toolkit: the series query on the
// wire, the rows, and what "Send series" moves, says and refuses.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "SendFixture.h"
#include "base/ActionGate.h"
#include "send/Sender.h"
#include "send/SeriesSend.h"
#include "support/FakeToolkit.h"

namespace pelko::test {
namespace {

namespace tags = dicom::tags;

const std::string kIni =
    "[Local]\r\nAET=PELKO\r\n[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=11112\r\n"
    "[Forward]\r\nNode0=Alpha|ALPHA\r\nNode1=Beta|BETA\r\nNode2=Gamma|GAMMA\r\n";

dicom::Dataset Answer(const std::string& uid, const std::string& number) {
    dicom::Dataset d;
    d.Attributes().Add(tags::SeriesInstanceUID, uid);
    d.Attributes().Add(tags::SeriesNumber, number);
    return d;
}

struct Rig : send::SendSwitch, send::SeriesView {
    Program p;
    FakeNodeButtons buttons;
    send::NodeSlots nodes{buttons, p.shell, p.settings, p.errors};
    FakeToolkit kit;
    FakeSelection grid;
    ActionGate gate;
    send::Sender sender{p.shell, *this, p.settings, p.errors, kit, grid, nodes, gate};
    send::SeriesSend logic{*this, p.settings, p.errors, kit, gate, nodes, sender};

    std::vector<query::SeriesRow> rows;
    std::vector<std::string> ticked;
    std::string note = "<none>";
    bool allowed = false;
    void disableSend() override {}
    void showSeries(const std::vector<query::SeriesRow>& r) override { rows = r; }
    void setNote(const std::string& n) override { note = n; }
    void allowSendSeries(bool a) override { allowed = a; }
    std::vector<std::string> tickedSeries() const override { return ticked; }

    Rig(bool forward, const std::string& active) {
        p.writeIni(kIni + "[General]\r\nForward=" + (forward ? "1" : "0") + "\r\n" + active);
        nodes.RebuildFromSettings();
        kit.findResult.push_back(Answer("1.9.10", "10"));
        kit.findResult.push_back(Answer("1.9.2", "2"));
        kit.findResult.push_back(Answer("", "1"));  // no key: cannot be sent
        kit.findResult.push_back(Answer("1.9.0", ""));
    }
};

TEST(SeriesSend, AsksForTheStudysSeriesAndListsThemByNumber) {
    Rig rig(false, "");
    ASSERT_TRUE(rig.logic.Open({"1.2.3", "Smith John", "20240110", "CT Chest"}));
    ASSERT_EQ(rig.kit.finds.size(), 1u);
    const auto& sent = rig.kit.finds[0].identifier.Attributes();
    EXPECT_EQ(sent.Item(tags::QueryRetrieveLevel), "SERIES");
    EXPECT_EQ(sent.Item(tags::StudyInstanceUID), "1.2.3");
    for (const dicom::Tag t :
         {tags::SeriesInstanceUID, tags::SeriesNumber, tags::Modality, tags::SeriesDescription,
          tags::NumberOfSeriesRelatedInstances, tags::BodyPartExamined, tags::SeriesDate, tags::SeriesTime}) {
        EXPECT_TRUE(sent.Contains(t) && sent.Item(t).empty()) << t.group << "," << t.element;
    }
    std::vector<std::string> order;
    for (const auto& r : rig.rows) order.push_back(r.seriesInstanceUid);
    EXPECT_EQ(order, (std::vector<std::string>{"1.9.2", "1.9.10", "1.9.0"}));
    EXPECT_EQ(send::SeriesWindowTitle({"1.2.3", "Smith John", "20240110", "CT Chest"}),
              "Series - Smith John - 20240110 CT Chest");
}

struct SendCase {
    const char* name;
    bool forward;
    std::string active;  // [Active] section
    std::vector<std::string> ticked;
    std::function<void(Rig&)> arrange;
    bool allowed;
    std::vector<std::string> moves;  // "<destination> <study> <series>"
    std::vector<std::string> messages;
    std::vector<std::string> logged;
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

const SendCase kSendCases[] = {
    {"TwoSeriesToTwoNodesInSlotOrder",
     false,
     "[Active]\r\n0=0\r\n1=1\r\n2=1\r\n",
     {"1.9.2", "1.9.10"},
     nullptr,
     true,
     {"BETA 1.2.3 1.9.2", "BETA 1.2.3 1.9.10", "GAMMA 1.2.3 1.9.2", "GAMMA 1.2.3 1.9.10"},
     {"info: Sending was successful (2 / 2 series) to BETA.\n\nSending was successful (2 / 2 series) to "
      "GAMMA.\n\n"},
     {}},
    {"RefusalIsReportedAndTheNextNodeServed",
     false,
     "[Active]\r\n0=1\r\n1=1\r\n",
     {"1.9.2"},
     [](Rig& r) {
         r.kit.onMove = [](const MoveCall& m) {
             if (m.destination == "ALPHA") throw dicom::DicomError(0xA801, "unknown ALPHA");
         };
     },
     true,
     {"BETA 1.2.3 1.9.2"},
     {"error: 43009 - unknown ALPHA (ALPHA)", "info: Sending was successful (1 / 1 series) to BETA.\n\n"},
     {"43009 - unknown ALPHA - Send"}},
    {"NothingTickedSendsNothing", false, "[Active]\r\n0=1\r\n", {}, nullptr, false, {}, {}, {}},
    {"NoNodeMarkedSendsNothing", false, "", {"1.9.2"}, nullptr, false, {}, {}, {}},
    {"ForwardModeListsButSendsNothing", true, "[Active]\r\n0=1\r\n", {"1.9.2"}, nullptr, false, {}, {}, {}},
};

class SeriesSendCase : public ::testing::TestWithParam<SendCase> {};

TEST_P(SeriesSendCase, MovesTheTickedSeriesAndSaysSo) {
    const SendCase& c = GetParam();
    Rig rig(c.forward, c.active);
    if (c.arrange) c.arrange(rig);
    ASSERT_TRUE(rig.logic.Open({"1.2.3", "", "", ""}));
    EXPECT_EQ(rig.note, c.forward ? send::kSeriesForwardNote : "");
    rig.ticked = c.ticked;
    rig.logic.Update();
    EXPECT_EQ(rig.allowed, c.allowed);
    rig.logic.Send();
    std::vector<std::string> moves;
    for (const auto& m : rig.kit.moves) {
        ASSERT_EQ(m.seriesUIDs.size(), 1u) << "one series per move";
        moves.push_back(m.destination + " " + m.studyUID + " " + m.seriesUIDs[0]);
    }
    EXPECT_EQ(moves, c.moves);
    EXPECT_EQ(rig.p.shell.messages, c.messages);
    EXPECT_EQ(LoggedEntries(rig.p.errorLog()), c.logged);
}

INSTANTIATE_TEST_SUITE_P(, SeriesSendCase, ::testing::ValuesIn(kSendCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SeriesSend, IsRefusedWhileAnotherActionRuns) {
    Rig rig(false, "[Active]\r\n0=1\r\n");
    auto pass = rig.gate.tryEnter();
    EXPECT_FALSE(rig.logic.Open({"1.2.3", "", "", ""}));
    EXPECT_TRUE(rig.kit.finds.empty());
}

}  // namespace
}  // namespace pelko::test
