// The real program, started where there is no graphical session.
#include <gtest/gtest.h>

#include <QProcess>

namespace pelko {
namespace {

TEST(NoDisplayTest, ProgramSaysWhatItNeedsAndFails) {
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PELKO_BINARY), {});
    ASSERT_TRUE(process.waitForFinished(15000));
    const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(said.startsWith(QStringLiteral("Pelko needs a graphical session"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("xvfb-run"))) << said.toStdString();
    EXPECT_EQ(said.count(QLatin1Char('\n')), 0) << "one sentence on one line: " << said.toStdString();
}

}  // namespace
}  // namespace pelko
