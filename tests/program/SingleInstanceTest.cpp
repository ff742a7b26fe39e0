// The real program, started twice from one program folder.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include "app/qt/SingleInstance.h"
#include "support/TempDir.h"

namespace pelko::ui {
namespace {

class Copy {
public:
    explicit Copy(const std::filesystem::path& program) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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

// Polls until the running copy listens for a second one.
bool WaitUntilListening(const QString& folder) {
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(InstanceKey(folder));
        if (socket.waitForConnected(200)) return true;
        QThread::msleep(50);
    }
    return false;
}

TEST(SingleInstanceTest, SecondCopyEndsAtOnceWithoutWritingSettings) {
    test::TempDir dir;
    const auto program = dir / "pelko";
    std::filesystem::copy_file(PELKO_BINARY, program);
    const QString folder = QString::fromStdString(dir.path().string());

    Copy first(program);
    ASSERT_TRUE(first.process.waitForStarted(5000));
    ASSERT_TRUE(WaitUntilListening(folder));

    Copy second(program);
    ASSERT_TRUE(second.process.waitForStarted(5000));
    EXPECT_TRUE(second.process.waitForFinished(1000)) << "the second copy is still running";
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);

    EXPECT_EQ(first.process.state(), QProcess::Running);
    EXPECT_FALSE(std::filesystem::exists(dir / "Settings.ini"));
}

TEST(SingleInstanceTest, CopiesInDifferentFoldersRunSideBySide) {
    test::TempDir a, b;
    std::filesystem::copy_file(PELKO_BINARY, a / "pelko");
    std::filesystem::copy_file(PELKO_BINARY, b / "pelko");
    Copy first(a / "pelko");
    ASSERT_TRUE(first.process.waitForStarted(5000));
    ASSERT_TRUE(WaitUntilListening(QString::fromStdString(a.path().string())));
    Copy second(b / "pelko");
    ASSERT_TRUE(second.process.waitForStarted(5000));
    EXPECT_TRUE(WaitUntilListening(QString::fromStdString(b.path().string())));
    EXPECT_EQ(second.process.state(), QProcess::Running);
}

}  // namespace
}  // namespace pelko::ui
