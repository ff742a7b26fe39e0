// Pelko's timings against baselines that do the same work, measured in the
// same run and interleaved round by round (ours, then the baseline), over
// kRounds rounds after one warm-up round. Prints one table: min / median /
// max of each side and the ratio of the medians (below 1: Pelko is faster).
//
// Rows, each with its peers (archive, destinations) started both ways:
// "tuned" with TCP_NODELAY=1, "shipped" as their packages start them (Nagle
// on). Pelko and the baseline clients (findscu, movescu) always run with
// TCP_NODELAY=1, as Pelko sets it for itself.
//   search N     - the real main window (offscreen) from the click on
//                  Search to a filled result list, against an archive of
//                  ours with N matches (a child process); baselines:
//                  findscu with the same keys, and the archive's own time
//                  from the request to its final response (the floor);
//   refuse 20000 - the same with 20,000 matches: Pelko stops at 400 with a
//                  C-CANCEL and says so; baseline: findscu --cancel 400;
//   send K x 2   - Send of K studies to two destinations (storescp) through
//                  Orthanc; baseline: one movescu per destination given the
//                  K study queries (one association each, as ours);
//   start-up     - from the start of the process to its window shown on a
//                  virtual display, and the resident memory then; baseline:
//                  a minimal Qt Widgets window. Needs Xvfb and xdotool.
//
// Message boxes that Pelko shows (the send summary, the 400 limit) are
// closed as soon as they show; their showing is part of the time.
//
//   hostile      - Settings.ini lookups against a parse each; peak memory of
//                  hostile files and answers against plain ones; start-up.
//
// Usage: bench [rounds [start-up | search [matches] | hostile]]; "start-up" runs that
// row only, "search" the search rows only (with tuned peers; `matches` picks
// one of them), e.g. to run under a profiler. Not run by CTest.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/qt/MainWindow.h"
#include "config/IniFile.h"
#include "dicom/ModuleToolkit.h"
#include "dicom/PumpingToolkit.h"
#include "dicom/dcmtk/DcmtkToolkit.h"
#include "e2e/Workstation.h"
#include "log/Clock.h"
#include "log/Logger.h"
#include "peers/ChildProcess.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"
#include "peers/TestScp.h"
#include "query/qt/ResultGridWidget.h"
#include "support/TempDir.h"

extern char** environ;

namespace {

using namespace pelko;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int kRounds = 5;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Timed(const std::function<void()>& f) {
    const auto start = Clock::now();
    f();
    return Ms(Clock::now() - start);
}

struct Stats {
    double min = 0, median = 0, max = 0;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.empty()) return {};
    return {v.front(), v[v.size() / 2], v.back()};
}

std::string Cell(const Stats& s, const char* unit) {
    char text[80];
    std::snprintf(text, sizeof text, "%.1f / %.1f / %.1f %s", s.min, s.median, s.max, unit);
    return text;
}

std::vector<std::string> g_failures;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    g_failures.push_back(what);
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}

void PrintRow(const std::string& peers, const std::string& measure, const std::vector<double>& ours,
              const std::string& baseline, const std::vector<double>& base, const char* unit = "ms") {
    const Stats o = Of(ours), b = Of(base);
    std::printf("| %-7s | %-14s | %-27s | %-26s | %-27s | %5.2f |\n", peers.c_str(), measure.c_str(),
                Cell(o, unit).c_str(), baseline.c_str(), Cell(b, unit).c_str(),
                b.median > 0 ? o.median / b.median : 0.0);
    std::fflush(stdout);
}

// ------------------------------------------------------------ child modes

// An archive of ours with `matches` matches, as a process of its own so that
// it runs with its own TCP_NODELAY. Writes "port <n>" and then, per C-FIND,
// "answered <microseconds>" to stdout; ends on SIGTERM.
int ArchiveMain(int matches) {
    test::TestScpBehaviour b;
    b.aet = "ARCHIVE";
    b.matches = matches;
    test::TestScp scp(b);
    std::printf("port %d\n", scp.port());
    std::fflush(stdout);
    std::size_t reported = 0;
    for (;;) {
        const auto record = scp.Record();
        for (; reported < record.findAnswerTimes.size(); ++reported) {
            std::printf("answered %lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                   record.findAnswerTimes[reported])
                                                   .count()));
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// ------------------------------------------------------------ hostile input

// kRounds rounds of `ours` and `base` in turn after a warm-up, as a row.
void Interleaved(const std::string& measure, const std::function<double()>& ours, const std::string& baseline,
                 const std::function<double()>& base) {
    std::vector<double> o, b;
    for (int r = 0; r <= kRounds; ++r) {
        const double x = ours(), y = base();
        if (r > 0) o.push_back(x), b.push_back(y);
    }
    PrintRow("-", measure, o, baseline, b);
}

// Peak MB of a child that runs `work` (forked while single-threaded).
double ChildPeakMb(const std::function<void()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A search in a child against an archive of ours in another, whose `count`
// answers carry a name of `nameBytes`: the search's peak MB.
double FindPeakMb(int count, std::size_t nameBytes) {
    int ports[2];
    if (pipe(ports) != 0) return 0;
    const pid_t archive = fork();
    if (archive == 0) {
        test::TestScpBehaviour b;
        b.matches = count;
        b.answerPatientName.assign(nameBytes, 'A');
        test::TestScp scp(b);
        const int port = scp.port();
        Check(write(ports[1], &port, sizeof port) == sizeof port, "port");
        for (;;) pause();
    }
    int port = 0;
    Check(read(ports[0], &port, sizeof port) == sizeof port, "archive port");
    const double mb = ChildPeakMb([&] {
        const dicom::AssociationParameters peer{"127.0.0.1", port, "TESTSCP", test::kOurAet, {}, {}};
        SkipOnFailure([&] { dicom::MakeDcmtkToolkit()->newQueryAssociation(peer)->Find({}); });
    });
    kill(archive, SIGKILL);
    waitpid(archive, nullptr, 0);
    return mb;
}

void HostileRows() {
    test::TempDir dir;
    const fs::path ini = dir / "Settings.ini";
    std::string text;
    for (int i = 0; text.size() < 296 * 1024; ++i) text += "[S" + std::to_string(i) + "]\r\nKey=Value\r\n";
    test::WriteBytes(ini, text + "[Query]\r\nAET=PACS\r\n");
    const auto lookups = [&](bool changed) {
        return Timed([&] {
            for (int i = 0; i < 210; ++i) {
                if (changed)
                    fs::last_write_time(ini, fs::file_time_type::clock::now() - std::chrono::hours(i + 1));
                Check(config::ReadIni("Query", "AET", "", ini) == "PACS", "lookup");
            }
        });
    };
    Interleaved(
        "210 lookups", [&] { return lookups(false); }, "parse per lookup", [&] { return lookups(true); });
    test::WriteBytes(ini, std::string(4 * 1024 * 1024, '\n') + "[Query]\r\nAET=PACS\r\n");
    const double blank = ChildPeakMb([&] {
        for (int i = 0; i < 3; ++i) config::ReadIni("Query", "AET", "", ini);
    });
    PrintRow("-", "3 x 4 MB blank", {blank}, "reading its bytes",
             {ChildPeakMb([&] { test::ReadBytes(ini); })}, "MB");
    const double plain = FindPeakMb(400, 8);
    PrintRow("TestScp", "400 x 1 MB", {FindPeakMb(400, 1024 * 1024)}, "400 small answers", {plain}, "MB");
    PrintRow("TestScp", "200 MB name", {FindPeakMb(1, 200 * 1024 * 1024)}, "400 small answers", {plain},
             "MB");
}

// ------------------------------------------------------------ helpers

std::vector<std::string> FileLines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Waits (outside any timing) for the lines of `file` beginning with `prefix`
// to number `count`; their values.
std::vector<long long> WaitForLines(const fs::path& file, const std::string& prefix, std::size_t count) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    for (;;) {
        std::vector<long long> values;
        for (const auto& line : FileLines(file)) {
            if (line.rfind(prefix, 0) == 0) values.push_back(std::atoll(line.c_str() + prefix.size()));
        }
        if (values.size() >= count || Clock::now() > deadline) return values;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool g_peersTuned = true;

// Runs `start` (which starts peer processes) with the peers' TCP_NODELAY
// setting in the environment they inherit; ours is 1 again afterwards (DCMTK
// reads it at every connection).
template <typename F>
auto StartPeers(F start) {
    if (g_peersTuned) {
        setenv("TCP_NODELAY", "1", 1);
    } else {
        unsetenv("TCP_NODELAY");
    }
    auto started = start();
    setenv("TCP_NODELAY", "1", 1);
    return started;
}

class Archive {
public:
    explicit Archive(int matches, const std::string& self) : log_(dir_ / "archive.log") {
        process_ = StartPeers([&] {
            return std::make_unique<test::ChildProcess>(
                std::vector<std::string>{self, "--archive", std::to_string(matches)}, log_);
        });
        const auto port = WaitForLines(log_, "port ", 1);
        if (port.empty()) throw std::runtime_error("the archive did not start");
        port_ = static_cast<int>(port[0]);
    }
    int port() const { return port_; }
    // The archive's answer time of its `n`-th C-FIND (from 1), in ms.
    double answerMs(std::size_t n) const {
        const auto times = WaitForLines(log_, "answered ", n);
        return times.size() >= n ? static_cast<double>(times[n - 1]) / 1000.0 : 0.0;
    }

private:
    test::TempDir dir_;
    fs::path log_;
    std::unique_ptr<test::ChildProcess> process_;
    int port_ = 0;
};

const std::vector<std::string> kSameKeys = {"QueryRetrieveLevel=STUDY",
                                            "PatientName=Bench*",
                                            "PatientID",
                                            "PatientSex",
                                            "PatientBirthDate",
                                            "StudyDate",
                                            "StudyDescription",
                                            "AccessionNumber",
                                            "StudyTime",
                                            "Modality",
                                            "StudyInstanceUID"};

bool Findscu(int port, const std::string& aet, std::optional<int> cancelAfter = std::nullopt) {
    std::vector<std::string> args = {"/usr/bin/findscu", "-S", "-aet", test::kOurAet, "-aec", aet};
    if (cancelAfter) {
        args.push_back("--cancel");
        args.push_back(std::to_string(*cancelAfter));
    }
    for (const auto& k : kSameKeys) {
        args.push_back("-k");
        args.push_back(k);
    }
    args.push_back("127.0.0.1");
    args.push_back(std::to_string(port));
    return test::RunQuietly(std::move(args));
}

// Closes every message box as soon as it shows, and keeps its text.
class BoxCloser : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                texts.push_back(box->text().toStdString());
                QMetaObject::invokeMethod(
                    box, [box] { box->done(0); }, Qt::QueuedConnection);
            }
        }
        return false;
    }
    std::vector<std::string> texts;
};

// The real main window on the real DCMTK toolkit, as main() builds it, in a
// program folder of its own.
struct Pelko {
    test::TempDir dir;
    SystemClock clock;
    Logger logger{dir.path(), clock};
    std::unique_ptr<dicom::Toolkit> dcmtk = dicom::MakeDcmtkToolkit();
    dicom::PumpingToolkit toolkit{*dcmtk};
    std::unique_ptr<ui::MainWindow> window;

    Pelko() { open(); }
    // A new Settings.ini takes effect at start-up, as for a user.
    void configure(const test::IniValues& values) {
        window.reset();
        test::WriteBytes(dir / "Settings.ini", test::SettingsText(values));
        open();
    }
    template <typename T>
    T* control(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        Check(found != nullptr, std::string("no control ") + name);
        return found;
    }
    ui::ResultGridWidget& grid() const { return *control<ui::ResultGridWidget>("grid1"); }
    int search(const std::string& name) {
        control<QLineEdit>("txtName2")->setText(QString::fromStdString(name));
        control<QPushButton>("cmdSearch")->click();
        QApplication::processEvents();  // the list painted
        return grid().rowCount();
    }

private:
    void open() {
        window = std::make_unique<ui::MainWindow>(ui::AppServices{dir.path(), clock, logger, toolkit});
        window->load();
        window->show();
        QApplication::processEvents();
    }
};

// ------------------------------------------------------------ rows

void SearchRows(const std::string& peers, const std::string& self, Pelko& pelko, BoxCloser& boxes,
                int only = 0) {
    for (int matches : {10, 100, 399, 20000}) {
        if (only != 0 && matches != only) continue;
        Archive archive(matches, self);
        test::IniValues ini;
        ini.archiveAet = "ARCHIVE";
        ini.archivePort = archive.port();
        pelko.configure(ini);
        const bool refusal = matches > dicom::kMaxFindResults;
        std::vector<double> ours, floor, findscu;
        std::size_t finds = 0;
        for (int round = 0; round <= kRounds; ++round) {
            boxes.texts.clear();
            const int before = pelko.grid().rowCount();
            int rows = 0;
            const double o = Timed([&] { rows = pelko.search("Bench*"); });
            const double a = archive.answerMs(++finds);
            // Refused: the list keeps the rows it had before the search.
            Check(refusal ? rows == before : rows == matches,
                  "search " + std::to_string(matches) + ": " + std::to_string(rows) + " rows");
            Check(boxes.texts.size() == (refusal ? 1u : 0u), "search " + std::to_string(matches) + ": boxes");
            bool ok = true;
            const double f = Timed([&] {
                ok = Findscu(archive.port(), "ARCHIVE",
                             refusal ? std::optional<int>(dicom::kMaxFindResults) : std::nullopt);
            });
            archive.answerMs(++finds);
            Check(ok, "findscu " + std::to_string(matches));
            if (round == 0) continue;  // warm-up
            ours.push_back(o);
            floor.push_back(a);
            findscu.push_back(f);
        }
        if (refusal) {
            PrintRow(peers, "refuse 20000", ours, "findscu --cancel 400", findscu);
        } else {
            const std::string measure = "search " + std::to_string(matches);
            PrintRow(peers, measure, ours, "findscu, same keys", findscu);
            PrintRow(peers, measure, ours, "archive's answer time", floor);
        }
    }
}

// One query file per study for movescu.
std::vector<std::string> QueryFiles(const fs::path& dir, const std::vector<std::string>& uids) {
    std::vector<std::string> files;
    for (std::size_t i = 0; i < uids.size(); ++i) {
        const fs::path text = dir / ("q" + std::to_string(i) + ".txt");
        const fs::path file = dir / ("q" + std::to_string(i) + ".dcm");
        test::WriteBytes(text, "(0008,0052) CS [STUDY]\n(0020,000d) UI [" + uids[i] + "]\n");
        Check(test::RunQuietly({"/usr/bin/dump2dcm", text.string(), file.string()}), "dump2dcm");
        files.push_back(file.string());
    }
    return files;
}

bool Movescu(const test::OrthancFixture& orthanc, const std::string& destination,
             const std::vector<std::string>& queryFiles) {
    std::vector<std::string> args = {
        "/usr/bin/movescu", "-S",   "-aet",      test::kOurAet, "-aec",
        orthanc.aet(),      "-aem", destination, "127.0.0.1",   std::to_string(orthanc.dicomPort())};
    args.insert(args.end(), queryFiles.begin(), queryFiles.end());
    return test::RunQuietly(std::move(args));
}

// True when each destination received exactly `count` files; removes them.
bool CheckAndClear(const std::vector<test::StoreScpFixture*>& destinations, std::size_t count) {
    bool ok = true;
    for (auto* d : destinations) {
        ok = d->WaitForFiles(count, std::chrono::seconds(20)) && ok;
        const auto files = d->Files();
        ok = files.size() == count && ok;
        for (const auto& f : files) fs::remove(f);
    }
    return ok;
}

void SendRows(const std::string& peers, Pelko& pelko, BoxCloser& boxes, test::OrthancFixture& orthanc,
              const std::vector<test::StoreScpFixture*>& destinations, const std::vector<std::string>& uids) {
    test::IniValues ini;
    ini.archiveAet = orthanc.aet();
    ini.archivePort = orthanc.dicomPort();
    ini.nodes = {"First|DEST1", "Second|DEST2"};
    pelko.configure(ini);
    const int found = pelko.search("Bench*");
    Check(found == static_cast<int>(uids.size()), "send: the search found " + std::to_string(found));
    pelko.control<QPushButton>("cmdNode0")->click();
    pelko.control<QPushButton>("cmdNode1")->click();
    auto& grid = pelko.grid();
    auto* send = pelko.control<QPushButton>("cmdSend");

    test::TempDir queries;
    for (std::size_t count : {1u, 5u, 20u}) {
        // The first `count` rows of the list, and their study UIDs.
        grid.clearSelection();
        for (int row = 1; row <= static_cast<int>(count); ++row) grid.selectRow(row);
        const std::vector<std::string> chosen = grid.selectedStudyUids();
        // Each Send disables itself until the user picks a row again.
        const auto pickRow = [&grid] {
            grid.selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            grid.selectionModel()->setCurrentIndex(grid.model()->index(0, 0), QItemSelectionModel::NoUpdate);
        };
        const auto files = QueryFiles(queries.path(), chosen);
        const std::string n = std::to_string(count);
        const std::string summary = "Sending was successful (" + n + " / " + n +
                                    ") to DEST1.\n\nSending was successful (" + n + " / " + n +
                                    ") to DEST2.\n\n";
        std::vector<double> ours, movescu;
        for (int round = 0; round <= kRounds; ++round) {
            boxes.texts.clear();
            pickRow();
            Check(send->isEnabled(), "send " + n + ": Send enabled by a row pick");
            const double o = Timed([&] { send->click(); });
            Check(boxes.texts == std::vector<std::string>{summary},
                  "send " + n + ": " + (boxes.texts.empty() ? "no box" : boxes.texts[0]));
            Check(CheckAndClear(destinations, count), "send " + n + ": files at the destinations");
            bool ok = true;
            const double m = Timed([&] {
                for (const char* d : {"DEST1", "DEST2"}) ok = Movescu(orthanc, d, files) && ok;
            });
            Check(ok && CheckAndClear(destinations, count), "movescu " + n);
            if (round == 0) continue;
            ours.push_back(o);
            movescu.push_back(m);
        }
        PrintRow(peers, "send " + n + " x 2", ours, "movescu per destination", movescu);
    }
}

// ------------------------------------------------------------ start-up

bool WindowShown(const std::string& display, const std::string& title) {
    const pid_t pid = test::SpawnQuietly(
        {"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}, {"DISPLAY=" + display});
    if (pid <= 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double ResidentMb(pid_t pid) {
    for (const auto& line : FileLines("/proc/" + std::to_string(pid) + "/status")) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

// Starts `program`, waits for its window titled `title`; the time to it and
// the resident memory then (after a short settling). A program that ends
// before its window shows (it could not reach the display) fails at once.
std::pair<double, double> StartUp(const std::string& program, const std::string& title,
                                  const std::string& display, const fs::path& runtime) {
    const auto start = Clock::now();
    const pid_t pid = test::SpawnQuietly(
        {program}, {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + runtime.string()});
    if (pid <= 0) {
        Check(false, title + " did not start");
        return {-1, 0};
    }
    double shown = -1;
    bool ended = false;
    while (Clock::now() - start < std::chrono::seconds(30)) {
        if (WindowShown(display, title)) {
            shown = Ms(Clock::now() - start);
            break;
        }
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            ended = true;
            break;
        }
    }
    if (ended) {
        Check(false, title + " ended before its window showed");
        return {-1, 0};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double rss = ResidentMb(pid);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    Check(shown > 0, title + " showed no window");
    return {shown, rss};
}

void StartUpRows() {
    int number = 91;
    while (fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) ++number;
    const std::string display = ":" + std::to_string(number);
    test::TempDir dir;
    // -noreset: without it the server resets whenever its last client
    // leaves (the program of the previous measure is killed), and a program
    // that connects during the reset gets no display and ends without a
    // window; the minimal window, which connects soonest, was hit most.
    test::ChildProcess xvfb(
        {"/usr/bin/Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"},
        dir / "xvfb.log");
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    fs::create_directory(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory(dir / "program");
    fs::copy_file(PELKO_BINARY, dir / "program" / "pelko");
    fs::create_directories((dir / "program" / dicom::kDicomModuleFile).parent_path());
    fs::copy_file(fs::path(PELKO_BINARY).parent_path() / dicom::kDicomModuleFile,
                  dir / "program" / dicom::kDicomModuleFile);

    std::vector<double> ours, minimal, oursMb, minimalMb;
    for (int round = 0; round <= kRounds; ++round) {
        const auto [o, om] = StartUp((dir / "program" / "pelko").string(), "Pelko", display, dir / "runtime");
        const auto [m, mm] = StartUp(MINIMAL_WINDOW_BINARY, "Minimal", display, dir / "runtime");
        if (round == 0) continue;
        ours.push_back(o);
        minimal.push_back(m);
        oursMb.push_back(om);
        minimalMb.push_back(mm);
    }
    PrintRow("-", "start-up", ours, "minimal Qt window", minimal);
    PrintRow("-", "resident memory", oursMb, "minimal Qt window", minimalMb, "MB");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--archive") return ArchiveMain(std::atoi(argv[2]));
    if (argc >= 2) kRounds = std::max(1, std::atoi(argv[1]));
    const bool startUpOnly = argc >= 3 && std::string(argv[2]) == "start-up";
    const bool searchOnly = argc >= 3 && std::string(argv[2]) == "search";
    const int searchMatches = searchOnly && argc >= 4 ? std::atoi(argv[3]) : 0;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const bool hostile = argc >= 3 && std::string(argv[2]) == "hostile";
    if (hostile) HostileRows();  // forks: before any thread

    dicom::InitializeDcmtkProcess(false);
    setenv("TCP_NODELAY", "1", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});  // offscreen notes
    BoxCloser boxes;
    app.installEventFilter(&boxes);
    if (hostile) {
        Pelko pelko;
        std::string sections;
        for (int i = 0; i < 20000; ++i) sections += "[Extra" + std::to_string(i) + "]\r\nKey=Value\r\n";
        const auto start = [&](const std::string& extra) {
            return Timed([&] { pelko.configure({"ARCHIVE", 104, false, false, {"A|DEST1"}, extra}); });
        };
        Interleaved(
            "start 20000 sec", [&] { return start(sections); }, "plain Settings.ini",
            [&] { return start(""); });
        return g_failures.empty() ? 0 : 1;
    }

    std::string load;
    std::getline(std::ifstream("/proc/loadavg"), load);
    std::printf(
        "Rounds: %d measured (+1 warm-up), ours and baseline interleaved. Load before: %s. CPUs: %u.\n\n",
        kRounds, load.c_str(), std::thread::hardware_concurrency());
    std::printf(
        "| Peers   | Measure        | Pelko min / median / max    | Baseline                   "
        "| Baseline min / median / max  | Ratio |\n");
    std::printf(
        "|---------|----------------|-----------------------------|----------------------------"
        "|-----------------------------|-------|\n");

    std::vector<std::string> uids;
    for (int i = 1; i <= 20; ++i) uids.push_back("1.2.826.0.1.3680043.9.7311.900." + std::to_string(i));

    if (searchOnly) {
        Pelko pelko;
        SearchRows("tuned", self, pelko, boxes, searchMatches);
    }
    for (const bool tuned : {true, false}) {
        if (startUpOnly || searchOnly) break;
        g_peersTuned = tuned;
        const std::string peers = tuned ? "tuned" : "shipped";
        auto dest1 = StartPeers([] { return std::make_unique<test::StoreScpFixture>("DEST1"); });
        auto dest2 = StartPeers([] { return std::make_unique<test::StoreScpFixture>("DEST2"); });
        auto orthanc = StartPeers([&] {
            return std::make_unique<test::OrthancFixture>(
                std::vector<test::RemoteModality>{{"DEST1", dest1->port()}, {"DEST2", dest2->port()}});
        });
        for (std::size_t i = 0; i < uids.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            orthanc->CreateInstance(R"({"PatientName": "Bench^)" + n + R"(", "PatientID": "B)" + n +
                                    R"(", "StudyInstanceUID": ")" + uids[i] +
                                    R"(", "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT"})");
        }
        Pelko pelko;
        SearchRows(peers, self, pelko, boxes);
        SendRows(peers, pelko, boxes, *orthanc, {dest1.get(), dest2.get()}, uids);
    }
    if (!searchOnly) StartUpRows();

    std::getline(std::ifstream("/proc/loadavg"), load);
    std::printf("\nLoad after: %s\n", load.c_str());
    for (const auto& f : g_failures) std::printf("FAILED: %s\n", f.c_str());
    return g_failures.empty() ? 0 : 1;
}
