#include "send/qt/SendProgressWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pelko::ui {
namespace {

constexpr auto kShowAfter = std::chrono::seconds(1);
constexpr auto kRefreshEvery = std::chrono::milliseconds(250);

QLabel* AddLabel(QVBoxLayout* layout, const char* name) {
    auto* label = new QLabel(layout->parentWidget());
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);  // it may show what the archive sent
    layout->addWidget(label);
    return label;
}

}  // namespace

SendProgressWindow::SendProgressWindow(QWidget* parent, Now now)
    : QDialog(parent), now_(std::move(now)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("frmSending"));
    setWindowTitle(QStringLiteral("Sending"));
    setModal(false);
    setMinimumWidth(320);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    study_ = AddLabel(layout, "lblStudy");
    images_ = AddLabel(layout, "lblImages");
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("prgImages"));
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    problems_ = AddLabel(layout, "lblProblems");
    state_ = AddLabel(layout, "lblState");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setAutoDefault(false);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    connect(cancel_, &QPushButton::clicked, this, &SendProgressWindow::cancel);
    timer_->setInterval(kRefreshEvery);
    connect(timer_, &QTimer::timeout, this, &SendProgressWindow::refresh);
}

SendProgressWindow::~SendProgressWindow() = default;

void SendProgressWindow::Started(send::MoveMonitor& monitor) {
    monitor_ = &monitor;
    sendStart_ = moveStart_ = now_();
    timer_->start();
}

void SendProgressWindow::MoveStarted() {
    moveStart_ = now_();
    refresh();
}

void SendProgressWindow::CountsArrived() {
    // On the move's thread: the window reads the monitor on its own.
    QMetaObject::invokeMethod(
        this, [this] { refresh(); }, Qt::QueuedConnection);
}

void SendProgressWindow::Finished() {
    timer_->stop();
    monitor_ = nullptr;
    hide();
}

void SendProgressWindow::refresh() {
    if (monitor_ == nullptr) return;
    const auto now = now_();
    const send::MoveSnapshot move = monitor_->snapshot();
    const send::ProgressText text =
        send::DescribeProgress(move, std::chrono::duration_cast<std::chrono::seconds>(now - moveStart_));
    study_->setText(QString::fromStdString(text.study));
    images_->setText(QString::fromStdString(text.images));
    problems_->setText(QString::fromStdString(text.problems));
    state_->setText(QString::fromStdString(text.state));
    bar_->setRange(0, text.total);
    bar_->setValue(text.done);
    cancel_->setEnabled(!move.cancelling);
    if (!isVisible() && now - sendStart_ > kShowAfter) {
        show();
        raise();
        activateWindow();
    }
}

void SendProgressWindow::cancel() {
    if (monitor_ && monitor_->RequestCancel()) refresh();
}

void SendProgressWindow::reject() {
    cancel();
}

void SendProgressWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    cancel();
}

void SendProgressOnDemand::Started(send::MoveMonitor& monitor) {
    if (window_ == nullptr) window_ = new SendProgressWindow(parent_);
    window_->Started(monitor);
}

}  // namespace pelko::ui
