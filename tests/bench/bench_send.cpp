// Time of "Send" in move mode against DCMTK's movescu: 20 studies to two
// destinations through Orthanc, both destinations storescp.
//   ours    - the real Sender (one association per destination, one C-MOVE
//             per study), the grid filled by the real search;
//   movescu - one movescu run per study and destination (40 processes).
// Both sides move to the same two storescp processes, in alternating runs;
// the received files are checked and removed between runs, outside the
// timing. Prints "send20x2_ours_ms=", "send20x2_movescu_ms=" and
// "send20x2_ratio=" (ours / movescu; below 1 means ours is faster), each
// time the median of a few runs. Not run by CTest.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e/Workstation.h"
#include "peers/ChildProcess.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"


namespace {

using namespace pelko;
using Clock = std::chrono::steady_clock;

constexpr int kStudies = 20;
constexpr int kRuns = 5;  // measured runs per side, after one warm-up run each
const std::vector<std::string> kDestinations = {"DEST1", "DEST2"};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimedMs(const std::function<bool()>& f, bool& ok) {
    const auto start = Clock::now();
    ok = f() && ok;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Movescu(const test::OrthancFixture& orthanc, const std::string& destination, const std::string& uid) {
    return test::RunQuietly({"/usr/bin/movescu", "-S", "-aet", test::kOurAet, "-aec", orthanc.aet(), "-aem",
                       destination, "-k", "QueryRetrieveLevel=STUDY", "-k", "StudyInstanceUID=" + uid,
                       "127.0.0.1", std::to_string(orthanc.dicomPort())});
}

// True when each destination received exactly one file per study; removes
// the files for the next run.
bool CheckAndClear(const std::vector<test::StoreScpFixture*>& destinations) {
    bool ok = true;
    for (auto* d : destinations) {
        ok = d->WaitForFiles(kStudies, std::chrono::seconds(10)) && ok;
        const auto files = d->Files();
        ok = files.size() == static_cast<std::size_t>(kStudies) && ok;
        for (const auto& f : files) std::filesystem::remove(f);
    }
    return ok;
}

}  // namespace

int main() {
    dicom::ConfigureDcmtkLogging(false);
    // Sets TCP_NODELAY for DCMTK before the peers start: Orthanc, storescp
    // and movescu inherit it, so no side waits for delayed ACKs.
    dicom::MakeDcmtkToolkit();

    test::StoreScpFixture dest1("DEST1");
    test::StoreScpFixture dest2("DEST2");
    const std::vector<test::StoreScpFixture*> destinations = {&dest1, &dest2};
    test::OrthancFixture orthanc({{"DEST1", dest1.port()}, {"DEST2", dest2.port()}});
    std::vector<std::string> uids;
    for (int i = 1; i <= kStudies; ++i) {
        const std::string uid = "1.2.826.0.1.3680043.9.7311.900." + std::to_string(i);
        uids.push_back(uid);
        orthanc.CreateInstance(R"({"PatientName": "Bench^)" + std::to_string(i) + R"(", "PatientID": "B)" +
                               std::to_string(i) + R"(", "StudyInstanceUID": ")" + uid +
                               R"(", "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT"})");
    }

    test::Workstation ws(test::E2eTimeouts());
    test::IniValues ini;
    ini.archiveAet = orthanc.aet();
    ini.archivePort = orthanc.dicomPort();
    ini.nodes = {"First|DEST1", "Second|DEST2"};
    ws.configure(ini);
    ws.typeNames("Bench*");
    ws.search.Search();
    if (ws.grid.rowCount() != kStudies) {
        std::printf("search found %d studies instead of %d\n", ws.grid.rowCount(), kStudies);
        return 1;
    }
    for (int r = 1; r <= kStudies; ++r) ws.grid.selectCell(r, query::kUidColumn);
    ws.nodes.NodeClicked(0);
    ws.nodes.NodeClicked(1);
    const std::string summary =
        "info: Sending was successful (20 / 20) to DEST1.\n\n"
        "Sending was successful (20 / 20) to DEST2.\n\n";

    auto ours = [&] {
        ws.shell.messages.clear();
        ws.sender.Send();
        return ws.shell.messages == std::vector<std::string>{summary};
    };
    auto reference = [&] {
        bool ok = true;
        for (const auto& d : kDestinations) {
            for (const auto& uid : uids) ok = Movescu(orthanc, d, uid) && ok;
        }
        return ok;
    };

    bool oursOk = true;
    bool movescuOk = true;
    std::vector<double> oursMs;
    std::vector<double> movescuMs;
    for (int run = 0; run <= kRuns; ++run) {
        const double a = TimedMs(ours, oursOk);
        oursOk = CheckAndClear(destinations) && oursOk;
        const double b = TimedMs(reference, movescuOk);
        movescuOk = CheckAndClear(destinations) && movescuOk;
        if (run == 0) continue;  // warm-up
        oursMs.push_back(a);
        movescuMs.push_back(b);
    }

    const double o = Median(oursMs);
    const double m = Median(movescuMs);
    std::printf("send20x2_ours_ms=%.1f%s\n", o, oursOk ? "" : " (a send failed)");
    std::printf("send20x2_movescu_ms=%.1f%s\n", m, movescuOk ? "" : " (a movescu run failed)");
    std::printf("send20x2_ratio=%.2f\n", o / m);
    return oursOk && movescuOk ? 0 : 1;
}
