// A move-mode send followed and cancelled on real peers: Orthanc and
// dcmqrscp moving to storescp destinations, one of them taking a second per
// image, and our own SCP that ignores C-CANCEL. The cancel is pressed from
// the progress window's place, at a pending response.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <thread>

#include "e2e/Workstation.h"
#include "peers/DcmqrscpFixture.h"
#include "peers/DicomFiles.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"
#include "peers/TestScp.h"
#include "support/FakeSendProgress.h"

namespace pelko::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> kSlow = {"--sleep-during", "1"};

std::string StudyUid(int s) {
    return "1.2.826.0.1.3680043.9.7311.800." + std::to_string(s);
}

// Orthanc or dcmqrscp knowing `destinations`, seeded by C-STORE with
// `studies` studies of `images` instances each, patient "Doe^Cancel".
struct Archive {
    Archive(const std::string& name, const std::vector<RemoteModality>& destinations, int studies,
            int images) {
        if (name == "Orthanc") {
            orthanc = std::make_unique<OrthancFixture>(destinations);
            aet = orthanc->aet();
            port = orthanc->dicomPort();
        } else {
            dcmqrscp = std::make_unique<DcmqrscpFixture>(destinations);
            aet = dcmqrscp->aet();
            port = dcmqrscp->port();
        }
        TempDir seeds;
        for (int s = 1; s <= studies; ++s) {
            for (int i = 0; i < images; ++i) {
                WriteDicomFile(seeds.path() / (std::to_string(s) + "-" + std::to_string(i) + ".dcm"),
                               {{dicom::tags::StudyInstanceUID, StudyUid(s)},
                                {dicom::tags::PatientID, "C1"},
                                {dicom::tags::PatientName, "Doe^Cancel"},
                                {dicom::tags::StudyDate, "20240301"},
                                {dicom::tags::Modality, "OT"}});
            }
        }
        StoreFolder(seeds.path(), port, aet);
    }
    std::unique_ptr<OrthancFixture> orthanc;
    std::unique_ptr<DcmqrscpFixture> dcmqrscp;
    std::string aet;
    int port = 0;
};

// A workstation on the archive `aet`:`port` with DEST1 ... DEST<destinations>
// marked, every study of the search "Doe*" selected; a real archive gets the
// program's cancel grace.
struct Desk {
    Desk(const std::string& aet, int port, int destinations, int cancelGrace = dicom::kMoveCancelGraceSeconds)
        : ws(E2eTimeouts(20, cancelGrace)) {
        IniValues v;
        v.archiveAet = aet;
        v.archivePort = port;
        for (int i = 1; i <= destinations; ++i)
            v.nodes.push_back("D" + std::to_string(i) + "|DEST" + std::to_string(i));
        ws.configure(v);
        for (int i = 0; i < destinations; ++i) ws.nodes.NodeClicked(i);
        ws.typeNames("Doe*");
        ws.search.Search();
        for (int row = 1; row <= ws.grid.rowCount(); ++row) ws.grid.selectRow(row);
        ws.sender.setProgress(&progress);
    }
    // Presses "Cancel" at the first pending response for which `when` holds.
    void cancelWhen(std::function<bool(const send::MoveSnapshot&)> when) {
        progress.onCounts = [this, when](const send::MoveSnapshot& move) {
            if (progress.presses.empty() && when(move)) {
                pressed = Clock::now();
                progress.press();
            }
        };
    }
    Workstation ws;
    FakeSendProgress progress;
    Clock::time_point pressed;
};

// "Cancelled: c images sent, f failed, r not sent to DEST." as {c, f, r}.
std::vector<int> CancelledCounts(const std::string& message) {
    static const std::regex counts(R"(Cancelled: (\d+) images sent, (\d+) failed, (\d+) not sent to )");
    std::smatch m;
    if (!std::regex_search(message, m, counts)) return {};
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

// The destination's file count, once it stayed the same for five seconds.
std::size_t SettledFiles(const StoreScpFixture& dest) {
    const std::size_t files = dest.Files().size();
    for (const auto quiet = Clock::now() + 5s; Clock::now() < quiet;) {
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(dest.Files().size(), files) << "files still arrive";
    }
    return files;
}

TEST(SendProgressOnOrthanc, CountsReachTheTotal) {
    StoreScpFixture dest("DEST1");
    Archive archive("Orthanc", {{"DEST1", dest.port()}}, 1, 40);
    Desk desk(archive.aet, archive.port, 1);

    desk.ws.sender.Send();

    EXPECT_EQ(desk.ws.shell.messages,
              std::vector<std::string>{"info: Sending was successful (1 / 1) to DEST1.\n\n"});
    ASSERT_FALSE(desk.progress.images.empty());
    EXPECT_EQ(desk.progress.images.back(), "40 of 40 images sent");
    EXPECT_EQ(dest.Files().size(), 40u);
}

class SendCancelOn : public ::testing::TestWithParam<const char*> {};

TEST_P(SendCancelOn, StopsTheArchiveAfterThreeFiles) {
    StoreScpFixture dest("DEST1", kSlow);
    Archive archive(GetParam(), {{"DEST1", dest.port()}}, 1, 40);
    Desk desk(archive.aet, archive.port, 1);
    desk.cancelWhen([&](const send::MoveSnapshot&) { return dest.Files().size() >= 3; });

    desk.ws.sender.Send();

    // The remaining 37 images would take at least 37 s.
    EXPECT_LT(Clock::now() - desk.pressed, 25s);
    EXPECT_EQ(desk.progress.presses, std::vector<bool>{true});
    ASSERT_EQ(desk.ws.shell.messages.size(), 1u);
    const std::vector<int> counts = CancelledCounts(desk.ws.shell.messages[0]);
    ASSERT_EQ(counts.size(), 3u) << desk.ws.shell.messages[0];
    EXPECT_GE(counts[0], 3);
    EXPECT_LT(counts[0], 40);
    EXPECT_EQ(counts[0] + counts[1] + counts[2], 40);
    EXPECT_EQ(SettledFiles(dest), static_cast<std::size_t>(counts[0]));
    const auto logged = desk.ws.errorLogLines();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(ParseErrorLine(logged[0]).label, "Send");
    EXPECT_EQ(ParseErrorLine(logged[0]).number, "65024");
}

INSTANTIATE_TEST_SUITE_P(Archives, SendCancelOn, ::testing::Values("Orthanc", "dcmqrscp"));

TEST(SendCancelOnOrthanc, NoFurtherStudyNorDestination) {
    StoreScpFixture dest1("DEST1", kSlow);
    StoreScpFixture dest2("DEST2");
    Archive archive("Orthanc", {{"DEST1", dest1.port()}, {"DEST2", dest2.port()}}, 3, 2);
    Desk desk(archive.aet, archive.port, 2);
    ASSERT_EQ(desk.ws.grid.rowCount(), 3);
    desk.cancelWhen(
        [](const send::MoveSnapshot& move) { return move.study == 2 && move.counts.completed >= 1; });

    desk.ws.sender.Send();

    EXPECT_EQ(desk.progress.presses, std::vector<bool>{true});
    ASSERT_EQ(desk.ws.shell.messages.size(), 1u);
    const std::string& summary = desk.ws.shell.messages[0];
    EXPECT_TRUE(summary.starts_with("info: Cancelled: ")) << summary;
    EXPECT_TRUE(
        summary.ends_with(" not sent to DEST1.\nNot sent: study 3 of 3.\n\n"
                          "Not sent to DEST2: studies 1 to 3 of 3.\n\n"))
        << summary;
    SettledFiles(dest1);
    const std::string third = desk.ws.gridUids()[2];  // the third study of the send
    for (const auto& uid : dest1.StudyUIDs()) EXPECT_NE(uid, third);
    EXPECT_EQ(dest2.Files().size(), 0u);
}

TEST(SendCancelIgnored, TheArchiveMayStillBeSendingAndASearchWorksAfterwards) {
    TestScpBehaviour b;
    b.matches = 1;
    b.movePending = 1000;
    b.cancel = CancelMode::kIgnore;
    b.answerDelay = 100ms;
    TestScp scp(b);
    constexpr int kGrace = 1;
    Desk desk(scp.aet(), scp.port(), 1, kGrace);
    ASSERT_EQ(desk.ws.grid.rowCount(), 1);
    desk.cancelWhen([](const send::MoveSnapshot& move) { return move.counts.completed >= 2; });

    desk.ws.sender.Send();
    const auto waited = Clock::now() - desk.pressed;

    ASSERT_EQ(desk.ws.shell.messages.size(), 1u);
    EXPECT_TRUE(desk.ws.shell.messages[0].starts_with(
        "error: The archive did not confirm the cancel and may still be sending to DEST1 ("))
        << desk.ws.shell.messages[0];
    EXPECT_GE(waited, std::chrono::seconds(kGrace));
    EXPECT_LT(waited, std::chrono::seconds(kGrace + 10));
    EXPECT_FALSE(desk.ws.gate.busy());
    std::this_thread::sleep_for(2s);  // the user's pause before the next search
    desk.ws.search.Search();
    EXPECT_EQ(desk.ws.grid.rowCount(), 1);
    EXPECT_EQ(desk.ws.shell.messages.size(), 1u) << desk.ws.shell.messages.back();
}

}  // namespace
}  // namespace pelko::test
