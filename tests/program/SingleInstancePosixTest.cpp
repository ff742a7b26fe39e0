// The real program, started twice from one program folder, and over what
// earlier copies and other users left behind. Every copy keeps its lock and
// socket in a runtime folder of the test's own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSysInfo>
#include <QThread>

#include "app/qt/SingleInstance.h"
#include "support/TempDir.h"

namespace pelko::ui {
namespace {

namespace fs = std::filesystem;

// A runtime folder ($XDG_RUNTIME_DIR) for this test and the copies it
// starts, removed afterwards with whatever they left in it.
class RuntimeFolder {
public:
    RuntimeFolder() {
        fs::permissions(dir_.path(), fs::perms::owner_all, fs::perm_options::replace);
        qputenv("XDG_RUNTIME_DIR", dir_.path().c_str());
    }
    ~RuntimeFolder() { qunsetenv("XDG_RUNTIME_DIR"); }
    const fs::path& path() const { return dir_.path(); }

private:
    test::TempDir dir_;
};

class Copy {
public:
    explicit Copy(const fs::path& program, const QStringList& extraEnv = {}) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const auto& entry : extraEnv) env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(program.string()), {});
    }
    ~Copy() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    QProcess process;
};

QString Folder(const test::TempDir& dir) {
    return QString::fromStdString(dir.path().string());
}

fs::path Program(const test::TempDir& dir) {
    fs::copy_file(PELKO_BINARY, dir / "pelko");
    return dir / "pelko";
}

// Polls until the running copy listens for a second one.
bool WaitUntilListening(const QString& folder) {
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(InstancePathsFor(folder).socket);
        if (socket.waitForConnected(200)) return true;
        QThread::msleep(50);
    }
    return false;
}

// The running copy's lock holds however old its file is (a lock by file age
// would be taken over once it is 30 s old).
TEST(SingleInstanceTest, SecondCopyEndsAtOnceWithoutWritingSettings) {
    for (const auto lockAge : {std::chrono::seconds(0), std::chrono::seconds(60)}) {
        SCOPED_TRACE(lockAge.count());
        RuntimeFolder runtime;
        test::TempDir dir;
        const auto program = Program(dir);

        Copy first(program);
        ASSERT_TRUE(first.process.waitForStarted(5000));
        ASSERT_TRUE(WaitUntilListening(Folder(dir)));
        // Lock and socket are in the runtime folder.
        const QString lockFile = InstancePathsFor(Folder(dir)).lockFile;
        EXPECT_TRUE(QFileInfo(lockFile).absolutePath() == QString::fromStdString(runtime.path().string()));
        fs::last_write_time(lockFile.toStdString(), fs::file_time_type::clock::now() - lockAge);

        Copy second(program);
        ASSERT_TRUE(second.process.waitForStarted(5000));
        EXPECT_TRUE(second.process.waitForFinished(5000)) << "the second copy is still running";
        EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.process.exitCode(), 0);

        EXPECT_EQ(first.process.state(), QProcess::Running);
        EXPECT_FALSE(fs::exists(dir / "Settings.ini"));
    }
}

TEST(SingleInstanceTest, CopiesInDifferentFoldersRunSideBySide) {
    RuntimeFolder runtime;
    test::TempDir a, b;
    Copy first(Program(a));
    ASSERT_TRUE(first.process.waitForStarted(5000));
    ASSERT_TRUE(WaitUntilListening(Folder(a)));
    Copy second(Program(b));
    ASSERT_TRUE(second.process.waitForStarted(5000));
    EXPECT_TRUE(WaitUntilListening(Folder(b)));
    EXPECT_EQ(second.process.state(), QProcess::Running);
}

// A process id that no process has any more.
qint64 EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(SingleInstanceTest, StartsOverACrashedCopysLockAndAnotherUsersLockInTheOldPlace) {
    RuntimeFolder runtime;
    test::TempDir dir, tmp;
    const auto program = Program(dir);
    const InstancePaths paths = InstancePathsFor(Folder(dir));
    // What a crashed copy leaves: its lock file (as earlier versions wrote
    // it) and socket.
    test::WriteBytes(paths.lockFile.toStdString(), std::to_string(EndedProcess()) + "\npelko\n" +
                                                       QSysInfo::machineHostName().toStdString() + "\n");
    test::WriteBytes(paths.socket.toStdString(), "");
    // Earlier versions locked /tmp/pelko-<hash>.lock, open to every user.
    const QByteArray hash =
        QCryptographicHash::hash(QDir(Folder(dir)).canonicalPath().toUtf8(), QCryptographicHash::Sha1)
            .toHex();
    const fs::path oldLock = tmp / ("pelko-" + hash.left(16).toStdString() + ".lock");
    test::WriteBytes(oldLock, "1\npelko\n" + QSysInfo::machineHostName().toStdString() + "\n");
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(oldLock.c_str(), 65534, 65534), 0);
    }

    Copy copy(program, {QStringLiteral("TMPDIR=") + QString::fromStdString(tmp.path().string())});
    ASSERT_TRUE(copy.process.waitForStarted(5000));
    EXPECT_TRUE(WaitUntilListening(Folder(dir))) << copy.process.readAllStandardError().toStdString();
    EXPECT_EQ(copy.process.state(), QProcess::Running);
}

TEST(SingleInstanceTest, WhenTheLockCannotBeMadeTheCopySaysWhyAndDoesNotEndQuietly) {
    RuntimeFolder runtime;
    test::TempDir dir;
    const auto program = Program(dir);
    const QString lockFile = InstancePathsFor(Folder(dir)).lockFile;
    fs::create_directory(lockFile.toStdString());  // no file can be made there

    Copy copy(program);
    ASSERT_TRUE(copy.process.waitForStarted(5000));
    QByteArray said;
    const QDeadlineTimer deadline(30000);
    const QByteArray reason = "Pelko cannot start: the lock file " + lockFile.toUtf8();
    while (!said.contains(reason) && !deadline.hasExpired() && copy.process.state() == QProcess::Running) {
        copy.process.waitForReadyRead(200);
        said += copy.process.readAllStandardError();
    }
    said += copy.process.readAllStandardError();
    EXPECT_TRUE(said.contains(reason)) << said.toStdString();
    // The message box holds the copy open until the user closes it; it must
    // not have ended with success.
    if (copy.process.state() == QProcess::NotRunning) {
        EXPECT_NE(copy.process.exitCode(), 0);
    }
}

}  // namespace
}  // namespace pelko::ui
