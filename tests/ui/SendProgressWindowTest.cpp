// The "Sending" window over a stand-in main window, on a clock the test
// moves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <thread>

#include "send/qt/SendProgressWindow.h"
#include "ui/Controls.h"

namespace pelko::test {
namespace {

using namespace std::chrono_literals;

TEST(SendProgressWindow, AppearsAfterASecondFollowsTheCountsAndEscapeCancels) {
    QWidget main;
    main.show();
    std::chrono::steady_clock::time_point now{};
    ui::SendProgressWindow window(&main, [&now] { return now; });
    send::MoveMonitor monitor(&window);
    const auto text = [&](const char* name) { return Control<QLabel>(&window, name)->text().toStdString(); };

    window.Started(monitor);
    monitor.MoveStarting("DEST1", 2, 3);
    now += 1s;
    window.refresh();
    EXPECT_FALSE(window.isVisible()) << "a second is not more than a second";

    now += 100ms;
    window.refresh();
    ASSERT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.parentWidget(), &main);
    EXPECT_EQ(window.windowTitle(), "Sending");
    EXPECT_EQ(text("lblStudy"), "Study 2 of 3 to DEST1");
    EXPECT_EQ(text("lblImages"), "Waiting for the archive (1 s)");
    now += 1s;
    window.refresh();
    EXPECT_EQ(text("lblImages"), "Waiting for the archive (2 s)");

    // A pending response arrives on the move's thread.
    std::thread([&] { monitor.Pending({37, 2, 1, 0}); }).join();
    QApplication::processEvents();
    EXPECT_EQ(text("lblImages"), "2 of 40 images sent");
    EXPECT_EQ(text("lblProblems"), "1 failed");
    const auto* bar = Control<QProgressBar>(&window, "prgImages");
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(bar->maximum(), 40);
    EXPECT_EQ(text("lblState"), "");

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &escape);
    EXPECT_TRUE(monitor.CancelRequested());
    EXPECT_EQ(text("lblState"), "Cancelling...");
    EXPECT_FALSE(Control<QPushButton>(&window, "cmdCancel")->isEnabled());
    EXPECT_TRUE(window.isVisible()) << "Escape cancels, it does not close";

    window.Finished();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace pelko::test
