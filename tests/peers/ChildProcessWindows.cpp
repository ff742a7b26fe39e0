#include <windows.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "peers/ChildProcess.h"

namespace pelko::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Wine maps a Windows path to the Unix one (kernel32's own extension).
using UnixName = char*(CDECL*)(const wchar_t*);

std::string UnixPath(const fs::path& path) {
    static const auto convert = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (convert == nullptr) throw std::runtime_error("the native peers need Wine");
    char* name = convert(fs::absolute(path).c_str());
    if (name == nullptr) return {};
    std::string out(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}

bool IsWindowsPath(const std::string& arg) {
    return arg.size() >= 3 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
           (arg[2] == '\\' || arg[2] == '/');
}

// One word for /bin/sh.
std::string ShellWord(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// One argument of a Windows command line, as the C runtime splits it.
std::string CommandLineWord(const std::string& word) {
    std::string out = "\"";
    std::size_t slashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

fs::path ScratchFile(const char* what) {
    static std::mt19937_64 random{std::random_device{}()};
    return fs::temp_directory_path() / ("pelko-peer-" + std::to_string(random()) + what);
}

// Runs `script` with /bin/sh, natively: Wine starts a Unix program by its
// Z:\ path but gives no handle to wait for it, so the script reports itself
// through files.
void StartShell(const std::string& script) {
    std::string line = CommandLineWord("/bin/sh") + " -c " + CommandLineWord(script);
    std::wstring wide(line.begin(), line.end());
    if (line.find_first_not_of("\t\n\r !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                               "abcdefghijklmnopqrstuvwxyz{|}~") != std::string::npos) {
        const int n =
            ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        wide.assign(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), n);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(L"Z:\\bin\\sh", wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        throw std::runtime_error("cannot start /bin/sh (error " + std::to_string(::GetLastError()) + ")");
    }
    if (info.hProcess != nullptr) ::CloseHandle(info.hProcess);
    if (info.hThread != nullptr) ::CloseHandle(info.hThread);
}

std::string Command(const std::vector<std::string>& args) {
    std::string out;
    for (const auto& a : args) out += " " + ShellWord(IsWindowsPath(a) ? UnixPath(a) : a);
    return out;
}

// The text of `file` once it ends with a line end, or "" after `wait`.
std::string WaitForLine(const fs::path& file, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::ifstream in(file, std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!text.empty() && text.back() == '\n') {
            in.close();
            std::error_code ec;
            fs::remove(file, ec);
            return text;
        }
        if (std::chrono::steady_clock::now() > deadline) return {};
        std::this_thread::sleep_for(10ms);
    }
}

void Signal(long pid, const char* signal) {
    StartShell("kill -" + std::string(signal) + " " + std::to_string(pid));
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const fs::path& logFile) {
    const fs::path pidFile = ScratchFile(".pid");
    StartShell("echo $$ > " + ShellWord(UnixPath(pidFile)) + "; exec" + Command(argv) + " </dev/null >>" +
               ShellWord(UnixPath(logFile)) + " 2>&1");
    const std::string pid = WaitForLine(pidFile, 10s);
    if (pid.empty()) throw std::runtime_error("cannot start " + argv[0]);
    pid_ = std::stol(pid);
}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Running() {
    if (pid_ <= 0) return false;
    // The process's state in /proc: gone, or a zombie, is ended.
    std::ifstream stat("Z:\\proc\\" + std::to_string(pid_) + "\\stat");
    std::string text{std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()};
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size() || text[close + 2] == 'Z') {
        pid_ = -1;
        return false;
    }
    return true;
}

void ChildProcess::Stop() {
    if (!Running()) return;
    Signal(pid_, "TERM");
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!Running()) return;
        std::this_thread::sleep_for(20ms);
    }
    Signal(pid_, "KILL");
    while (Running()) std::this_thread::sleep_for(20ms);
}

long SpawnQuietly(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    const fs::path pidFile = ScratchFile(".pid");
    std::string env;
    for (const auto& e : extraEnv) env += " " + ShellWord(e);
    try {
        StartShell("echo $$ > " + ShellWord(UnixPath(pidFile)) + "; exec env" + env + Command(args) +
                   " </dev/null >/dev/null 2>&1");
    } catch (const std::exception&) {
        return -1;
    }
    const std::string pid = WaitForLine(pidFile, 10s);
    return pid.empty() ? -1 : std::stol(pid);
}

bool RunQuietly(const std::vector<std::string>& args) {
    const fs::path codeFile = ScratchFile(".code");
    try {
        StartShell(Command(args) + " </dev/null >/dev/null 2>&1; echo $? > " + ShellWord(UnixPath(codeFile)));
    } catch (const std::exception&) {
        return false;
    }
    return WaitForLine(codeFile, 300s) == "0\n";
}

std::string PeerPath(const fs::path& path) {
    return UnixPath(path);
}

}  // namespace pelko::test
