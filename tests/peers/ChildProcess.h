// A peer program (Orthanc, storescp) run as a child process of the test:
// one file per platform. The peers are Debian's native programs; under Wine
// (ChildProcessWindows.cpp) they are started through /bin/sh by their Unix
// paths, and arguments that are Windows paths ("C:\\...") are handed over
// as the Unix paths of the same files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pelko::test {

class ChildProcess {
public:
    // Starts argv[0] (a path) with stdout and stderr appended to `logFile`.
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& logFile);
    // Stop().
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True while the process has not exited.
    bool Running();
    // SIGTERM, wait up to 10 s, then SIGKILL.
    void Stop();

private:
    long pid_ = -1;
};

// Starts a program with its output discarded and this process's
// environment, with the variables in `extraEnv` ("NAME=value") set; its
// process id, or -1 when it could not be started. args[0] is the program's
// path.
long SpawnQuietly(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {});

// Runs a program to its end with its output discarded; true when it exited
// with 0. args[0] is the program's path.
bool RunQuietly(const std::vector<std::string>& args);

// `path` as the peer programs see it: the path itself on POSIX, its Unix
// path under Wine. For paths written into the peers' own files.
std::string PeerPath(const std::filesystem::path& path);

}  // namespace pelko::test
