#include "send/SendProgress.h"

#include <algorithm>

namespace pelko::send {

void MoveMonitor::MoveStarting(const std::string& destination, int study, int studies) {
    {
        std::lock_guard lock(mutex_);
        const bool cancelling = state_.cancelling;
        const SendUnit unit = state_.unit;
        state_ = MoveSnapshot{};
        state_.unit = unit;
        state_.destination = destination;
        state_.study = study;
        state_.studies = studies;
        state_.cancelling = cancelling;
    }
    if (view_) view_->MoveStarted();
}

void MoveMonitor::setUnit(SendUnit unit) {
    std::lock_guard lock(mutex_);
    state_.unit = unit;
}

bool MoveMonitor::RequestCancel() {
    if (!accepting_ || cancel_.load()) return false;
    {
        std::lock_guard lock(mutex_);
        state_.cancelling = true;
    }
    cancel_.store(true);
    return true;
}

MoveSnapshot MoveMonitor::snapshot() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void MoveMonitor::Pending(const dicom::MoveCounts& counts) {
    {
        std::lock_guard lock(mutex_);
        dicom::MoveCounts& c = state_.counts;
        c.completed = std::max(c.completed, counts.completed);
        c.failed = std::max(c.failed, counts.failed);
        c.warning = std::max(c.warning, counts.warning);
        c.remaining = counts.remaining;
        if (counts.remaining) {
            const int total = counts.completed + counts.failed + counts.warning + *counts.remaining;
            state_.total = std::max(state_.total.value_or(0), total);
        }
        state_.answered = true;
    }
    if (view_) view_->CountsArrived();
}

ProgressText DescribeProgress(const MoveSnapshot& move, std::chrono::seconds waited) {
    ProgressText text;
    if (move.study > 0) {
        text.study = std::string(move.unit.title) + " " + std::to_string(move.study) + " of " +
                     std::to_string(move.studies) + " to " + move.destination;
    }
    const dicom::MoveCounts& c = move.counts;
    if (move.total) {
        text.images = std::to_string(c.completed) + " of " + std::to_string(*move.total) + " images sent";
        text.total = *move.total;
        text.done = std::min(c.completed + c.failed + c.warning, text.total);
    } else {
        text.images = "Waiting for the archive (" + std::to_string(waited.count()) + " s)";
    }
    if (c.failed > 0) text.problems = std::to_string(c.failed) + " failed";
    if (c.warning > 0) {
        if (!text.problems.empty()) text.problems += ", ";
        text.problems += std::to_string(c.warning) + " with warnings";
    }
    if (move.cancelling) text.state = kCancelling;
    return text;
}

}  // namespace pelko::send
