#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "peers/ChildProcess.h"

extern char** environ;

namespace pelko::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& logFile) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    pid_ = pid;
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    }
}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

void ChildProcess::Stop() {
    if (!Running()) return;
    ::kill(static_cast<pid_t>(pid_), SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!Running()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
    int status = 0;
    ::waitpid(static_cast<pid_t>(pid_), &status, 0);
    pid_ = -1;
}

long SpawnQuietly(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env = extraEnv;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(extraEnv.begin(), extraEnv.end(),
                         [&](const std::string& x) { return x.rfind(name, 0) == 0; }))
            env.push_back(entry);
    }
    std::vector<char*> argv, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool RunQuietly(const std::vector<std::string>& args) {
    const long pid = SpawnQuietly(args);
    if (pid < 0) return false;
    int status = 0;
    waitpid(static_cast<pid_t>(pid), &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string PeerPath(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace pelko::test
