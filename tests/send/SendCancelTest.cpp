// The progress and the cancel of a move-mode send, against the fake
// toolkit: what the window is told, what reaches the archive, and what the
// summary and Error.log say.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "SendFixture.h"
#include "base/ActionGate.h"
#include "send/SendProgress.h"
#include "send/Sender.h"
#include "support/FakeSendProgress.h"
#include "support/FakeToolkit.h"

namespace pelko::test {
namespace {

using dicom::MoveCounts;
using std::chrono::seconds;

MoveCounts Counts(std::optional<int> remaining, int completed, int failed = 0, int warning = 0) {
    return {remaining, completed, failed, warning};
}

// --- the window's lines

struct LinesCase {
    const char* name;
    std::vector<MoveCounts> pending;  // merged into one monitor in order
    std::vector<std::string> lines;   // images, problems, state
    int done, total;
};

void PrintTo(const LinesCase& c, std::ostream* os) {
    *os << c.name;
}

const LinesCase kLinesCases[] = {
    {"BeforeTheFirstResponse", {}, {"Waiting for the archive (7 s)", "", ""}, 0, 0},
    {"RemainingMissing", {Counts(std::nullopt, 3)}, {"Waiting for the archive (7 s)", "", ""}, 0, 0},
    {"FailuresAndWarnings",
     {Counts(30, 6, 1, 3)},
     {"6 of 40 images sent", "1 failed, 3 with warnings", ""},
     10,
     40},
    {"NeverBackwards",
     {Counts(36, 4), Counts(38, 2), Counts(std::nullopt, 0)},
     {"4 of 40 images sent", "", ""},
     4,
     40},
};

class ProgressLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ProgressLines, ShowTheMergedCountsOfTheRunningMove) {
    const LinesCase& c = GetParam();
    send::MoveMonitor monitor;
    monitor.MoveStarting("DEST", 2, 3);
    for (const auto& counts : c.pending) monitor.Pending(counts);

    const send::ProgressText text = send::DescribeProgress(monitor.snapshot(), seconds(7));

    EXPECT_EQ(text.study, "Study 2 of 3 to DEST");
    EXPECT_EQ((std::vector<std::string>{text.images, text.problems, text.state}), c.lines);
    EXPECT_EQ(text.done, c.done);
    EXPECT_EQ(text.total, c.total);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressLines, ::testing::ValuesIn(kLinesCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- the send

// `studies` studies 1.2.1 ... selected in order, `destinations` nodes
// AE0 ... marked.
struct Rig : send::SendSwitch {
    Rig(int studies, int destinations) {
        p.writeIni("[Local]\r\nAET=PELKO\r\n[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=104\r\n" +
                   ForwardSection(destinations) + ActiveSection(std::vector<std::string>(destinations, "1")));
        nodes.RebuildFromSettings();
        p.settings.Reload();
        for (int i = 1; i <= studies; ++i) grid.uids.push_back("1.2." + std::to_string(i));
        sender.setProgress(&progress);
    }
    // Each move: one pending response per image, 10 images.
    void tenImagesEach(std::optional<MoveCounts> onCancel) {
        kit.scriptMove = [onCancel](const MoveCall&) {
            ScriptedMove s;
            for (int i = 1; i <= 10; ++i) s.pending.push_back(Counts(10 - i, i));
            s.final = Counts(std::nullopt, 10);
            s.cancelled = onCancel;
            return s;
        };
    }
    // Presses "Cancel" after pending response `index` of the `move`-th move.
    void pressAt(std::size_t move, std::size_t index, int times = 1) {
        kit.afterPending = [this, move, index, times](const MoveCall&, std::size_t i) {
            if (kit.moves.size() == move && i == index) {
                for (int t = 0; t < times; ++t) progress.press();
            }
        };
    }
    std::vector<std::string> moves() const {
        std::vector<std::string> r;
        for (const auto& m : kit.moves) r.push_back(m.destination + " " + m.studyUID);
        return r;
    }

    Program p;
    FakeNodeButtons view;
    send::NodeSlots nodes{view, p.shell, p.settings, p.errors};
    FakeToolkit kit;
    FakeSelection grid;
    ActionGate gate;
    FakeSendProgress progress;
    send::Sender sender{p.shell, *this, p.settings, p.errors, kit, grid, nodes, gate};
    void disableSend() override {}
};

struct SendCase {
    const char* name;
    int studies, destinations;
    std::function<void(Rig&)> arrange;
    std::vector<std::string> moves;
    std::vector<std::string> cancels;  // C-CANCELs sent
    std::vector<bool> presses;
    std::vector<std::string> messages;
    std::vector<std::string> logged;
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kNotSentAe1 = "Not sent to AE1: studies 1 to 3 of 3.\n\n";

const SendCase kSendCases[] = {
    // A second press changes nothing.
    {"ConfirmedPressedTwice",
     1,
     1,
     [](Rig& r) {
         r.tenImagesEach(Counts(6, 4));
         r.pressAt(1, 2, 2);
     },
     {"AE0 1.2.1"},
     {"AE0 1.2.1"},
     {true, false},
     {"info: Cancelled: 4 images sent, 0 failed, 6 not sent to AE0.\n\n"},
     {"65024 - Send to AE0 cancelled at study 1 of 1: 4 images sent, 0 failed, 6 not sent - Send"}},
    // Without Remaining in the final response, the last total tells.
    {"ConfirmedWithoutRemaining",
     1,
     1,
     [](Rig& r) {
         r.tenImagesEach(Counts(std::nullopt, 3, 1, 2));
         r.pressAt(1, 2);
     },
     {"AE0 1.2.1"},
     {"AE0 1.2.1"},
     {true},
     {"info: Cancelled: 3 images sent, 1 failed, 2 with warnings, 4 not sent to AE0.\n\n"},
     {"65024 - Send to AE0 cancelled at study 1 of 1: 3 images sent, 1 failed, 2 with warnings, 4 not sent - "
      "Send"}},
    {"Unconfirmed",
     1,
     1,
     [](Rig& r) {
         r.tenImagesEach(std::nullopt);
         r.pressAt(1, 2);
     },
     {"AE0 1.2.1"},
     {"AE0 1.2.1"},
     {true},
     {"error: The archive did not confirm the cancel and may still be sending to AE0 (3 images sent, 0 "
      "failed "
      "so far).\n\n"},
     {"1004 - Send to AE0 cancelled at study 1 of 1; the archive did not confirm the cancel within 10 s and "
      "may "
      "still be sending: 3 images sent, 0 failed - Send"}},
    {"BeforeTheFirstPendingResponse",
     1,
     1,
     [](Rig& r) {
         r.tenImagesEach(Counts(10, 0));
         r.kit.onMove = [&r](const MoveCall&) { r.progress.press(); };
     },
     {"AE0 1.2.1"},
     {"AE0 1.2.1"},
     {true},
     {"info: Cancelled: 0 images sent, 0 failed, 10 not sent to AE0.\n\n"},
     {"65024 - Send to AE0 cancelled at study 1 of 1: 0 images sent, 0 failed, 10 not sent - Send"}},
    {"PressedAfterTheFinalResponse",
     2,
     1,
     [](Rig& r) {
         r.tenImagesEach(Counts(6, 4));
         r.p.shell.onProcessEvents = [&r] {
             if (r.kit.moves.size() == 2 && r.progress.presses.empty()) r.progress.press();
         };
     },
     {"AE0 1.2.1", "AE0 1.2.2"},
     {},
     {false},
     {"info: Sending was successful (2 / 2) to AE0.\n\n"},
     {}},
    {"Success",
     2,
     2,
     [](Rig& r) { r.tenImagesEach(Counts(0, 0)); },
     {"AE0 1.2.1", "AE0 1.2.2", "AE1 1.2.1", "AE1 1.2.2"},
     {},
     {},
     {"info: Sending was successful (2 / 2) to AE0.\n\nSending was successful (2 / 2) to AE1.\n\n"},
     {}},
    {"FailedMove",
     2,
     1,
     [](Rig& r) {
         r.kit.onMove = [](const MoveCall& m) {
             if (m.studyUID == "1.2.2") throw dicom::DicomError(dicom::kErrSubOperationsFailed, "3 failed");
         };
     },
     {"AE0 1.2.1"},
     {},
     {},
     {"error: 1007 - 3 failed (AE0)"},
     {"1007 - 3 failed - Send"}},
    // 3 studies x 2 destinations, cancelled in the second study to the
    // first destination.
    {"NoFurtherMoveInTheMove",
     3,
     2,
     [](Rig& r) {
         r.tenImagesEach(Counts(5, 5));
         r.pressAt(2, 4);
     },
     {"AE0 1.2.1", "AE0 1.2.2"},
     {"AE0 1.2.2"},
     {true},
     {"info: Cancelled: 15 images sent, 0 failed, 5 not sent to AE0.\nNot sent: study 3 of 3.\n\n" +
      kNotSentAe1},
     {"65024 - Send to AE0 cancelled at study 2 of 3: 15 images sent, 0 failed, 5 not sent - Send"}},
    {"NoFurtherMoveBetweenMoves",
     3,
     2,
     [](Rig& r) {
         r.tenImagesEach(Counts(5, 5));
         r.p.shell.onProcessEvents = [&r] {
             if (r.kit.moves.size() == 1 && r.progress.presses.empty()) r.progress.press();
         };
     },
     {"AE0 1.2.1"},
     {},
     {true},
     {"info: Cancelled: 10 images sent, 0 failed, 0 not sent to AE0.\nNot sent: studies 2 to 3 of 3.\n\n" +
      kNotSentAe1},
     {"65024 - Send to AE0 cancelled at study 2 of 3: 10 images sent, 0 failed, 0 not sent - Send"}},

};

class SendCancel : public ::testing::TestWithParam<SendCase> {};

TEST_P(SendCancel, StopsTheSendAndSaysWhatWasSent) {
    const SendCase& c = GetParam();
    Rig r(c.studies, c.destinations);
    c.arrange(r);

    EXPECT_TRUE(r.sender.Send());

    EXPECT_EQ(r.moves(), c.moves);
    EXPECT_EQ(r.kit.cancels, c.cancels);
    EXPECT_EQ(r.progress.presses, c.presses);
    EXPECT_EQ(r.p.shell.messages, c.messages);
    EXPECT_EQ(LoggedEntries(r.p.errorLog()), c.logged);
    // The window came and went.
    ASSERT_GE(r.progress.events.size(), 2u);
    EXPECT_EQ(r.progress.events.front(), "started");
    EXPECT_EQ(r.progress.events.back(), "finished");
    EXPECT_EQ(r.p.shell.caption(), "Pelko");
    EXPECT_FALSE(r.gate.busy());
}

INSTANTIATE_TEST_SUITE_P(Cases, SendCancel, ::testing::ValuesIn(kSendCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SendProgress, FollowsEveryPendingResponseAndEachStudy) {
    Rig r(2, 1);
    r.kit.scriptMove = [](const MoveCall&) {
        // The fourth response is late and lower; the final one has no Remaining.
        return ScriptedMove{{Counts(std::nullopt, 0), Counts(2, 1), Counts(1, 2), Counts(2, 1)},
                            Counts(std::nullopt, 3)};
    };

    r.sender.Send();

    // The last line of a move is its final response's.
    const std::vector<std::string> oneMove = {"Waiting for the archive (0 s)", "1 of 3 images sent",
                                              "2 of 3 images sent", "2 of 3 images sent",
                                              "3 of 3 images sent"};
    std::vector<std::string> twoMoves = oneMove;
    twoMoves.insert(twoMoves.end(), oneMove.begin(), oneMove.end());
    EXPECT_EQ(r.progress.images, twoMoves);
    EXPECT_EQ(r.progress.events, (std::vector<std::string>{"started", "AE0 1/2", "AE0 2/2", "finished"}));
    EXPECT_GT(r.kit.cancelPolls, 0);
}

}  // namespace
}  // namespace pelko::test
