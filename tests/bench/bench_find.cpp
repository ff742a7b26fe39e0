// Time of the adapter's Find against DCMTK's findscu on the same TestScp:
//   find399   - a query with 399 matches, both receive all of them;
//   find20000 - a query with 20,000 matches: ours stops at 400 with a
//               C-CANCEL, findscu receives all 20,000.
// Prints "name_ours_ms=", "name_findscu_ms=" and "name_ratio=" (ours /
// findscu; below 1 means ours is faster). Not run by CTest.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dicom/dcmtk/DcmtkToolkit.h"
#include "peers/ChildProcess.h"
#include "peers/TestScp.h"


namespace {

using namespace pelko;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Median wall time of `runs` calls of `f`, in ms.
double MedianMs(int runs, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        times.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int OurFind(int port, const std::string& aet) {
    dicom::AssociationParameters peer;
    peer.host = "127.0.0.1";
    peer.port = port;
    peer.calledAET = aet;
    peer.callingAET = "PELKO";
    auto query = dicom::MakeDcmtkToolkit()->newQueryAssociation(peer);
    dicom::Dataset request;
    request.Attributes().Add(dicom::tags::StudyInstanceUID, "");
    request.Attributes().Add(dicom::tags::StudyTime, "");
    request.Attributes().Add(dicom::tags::Modality, "");
    request.setPatientName("Doe*");
    request.Attributes().Add(dicom::tags::QueryRetrieveLevel, "STUDY");
    return query->Find(request).Count();
}

// findscu with the same keys, output discarded; false when it failed.
bool Findscu(int port, const std::string& aet) {
    std::vector<std::string> args = {"/usr/bin/findscu",
                                     "-S",
                                     "-aet",
                                     "PELKO",
                                     "-aec",
                                     aet,
                                     "-k",
                                     "QueryRetrieveLevel=STUDY",
                                     "-k",
                                     "StudyInstanceUID",
                                     "-k",
                                     "StudyTime",
                                     "-k",
                                     "Modality",
                                     "-k",
                                     "PatientName=Doe*",
                                     "127.0.0.1",
                                     std::to_string(port)};
    return test::RunQuietly(std::move(args));
}

void Compare(const std::string& name, int matches, int runs) {
    test::TestScpBehaviour behaviour;
    behaviour.matches = matches;
    test::TestScp scp(behaviour);
    int results = 0;
    const double ours = MedianMs(runs, [&] { results = OurFind(scp.port(), scp.aet()); });
    bool findscuOk = true;
    const double findscu = MedianMs(runs, [&] { findscuOk = Findscu(scp.port(), scp.aet()) && findscuOk; });
    std::printf("%s_results=%d\n", name.c_str(), results);
    std::printf("%s_ours_ms=%.1f\n", name.c_str(), ours);
    std::printf("%s_findscu_ms=%.1f%s\n", name.c_str(), findscu, findscuOk ? "" : " (findscu failed)");
    std::printf("%s_ratio=%.2f\n", name.c_str(), ours / findscu);
    std::fflush(stdout);
}

}  // namespace

int main() {
    dicom::ConfigureDcmtkLogging(false);
    // MakeDcmtkToolkit sets TCP_NODELAY for DCMTK; findscu inherits it, so
    // both sides run without Nagle's delay.
    dicom::MakeDcmtkToolkit();
    Compare("find399", 399, 15);
    Compare("find20000", 20000, 5);

    // An archive that ignores the C-CANCEL: bounded by the grace period.
    test::TestScpBehaviour flood;
    flood.matches = 20000;
    flood.cancel = test::CancelMode::kIgnore;
    test::TestScp scp(flood);
    int results = 0;
    const double ms = MedianMs(3, [&] { results = OurFind(scp.port(), scp.aet()); });
    std::printf("find20000_ignored_cancel_results=%d\nfind20000_ignored_cancel_ours_ms=%.1f\n", results, ms);
    return 0;
}
