// "Sending": the progress of a move-mode send, with its "Cancel". A small
// window over the main window, not modal. It appears once the send has run
// for more than a second and closes by itself when the send ends; Escape
// and the window's close button do what "Cancel" does.
#pragma once

#include <QDialog>
#include <chrono>
#include <functional>

#include "send/SendProgress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace pelko::ui {

class SendProgressWindow : public QDialog, public send::SendProgress {
    Q_OBJECT
public:
    using Now = std::function<std::chrono::steady_clock::time_point()>;

    // `now` is the clock the window measures the send by.
    explicit SendProgressWindow(QWidget* parent, Now now = &std::chrono::steady_clock::now);
    ~SendProgressWindow() override;

    void Started(send::MoveMonitor& monitor) override;
    void MoveStarted() override;
    void CountsArrived() override;
    void Finished() override;

    // Shows the window once the send has run for more than a second, with
    // the monitor's latest state. A timer runs it four times a second.
    void refresh();

protected:
    void reject() override;  // Escape
    void closeEvent(QCloseEvent* event) override;

private:
    void cancel();

    Now now_;
    send::MoveMonitor* monitor_ = nullptr;
    std::chrono::steady_clock::time_point sendStart_;
    std::chrono::steady_clock::time_point moveStart_;
    QTimer* timer_;
    QLabel* study_;
    QLabel* images_;
    QProgressBar* bar_;
    QLabel* problems_;
    QLabel* state_;
    QPushButton* cancel_;
};

// The "Sending" window, made when the first send starts: a Pelko that sends
// nothing never builds it.
class SendProgressOnDemand : public send::SendProgress {
public:
    explicit SendProgressOnDemand(QWidget* parent) : parent_(parent) {}

    void Started(send::MoveMonitor& monitor) override;
    // The calls below come after Started, when the window exists.
    void MoveStarted() override { window_->MoveStarted(); }
    void CountsArrived() override { window_->CountsArrived(); }
    void Finished() override { window_->Finished(); }

private:
    QWidget* parent_;
    SendProgressWindow* window_ = nullptr;  // a child of parent_
};

}  // namespace pelko::ui
