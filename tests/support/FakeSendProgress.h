// The progress window as the send logic drives it, in memory: what it was
// told, the images line at each pending response, and a "Cancel" to press.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "send/SendProgress.h"

namespace pelko::test {

class FakeSendProgress : public send::SendProgress {
public:
    void Started(send::MoveMonitor& monitor) override {
        monitor_ = &monitor;
        events.push_back("started");
    }
    void MoveStarted() override {
        const auto m = monitor_->snapshot();
        events.push_back(m.destination + " " + std::to_string(m.study) + "/" + std::to_string(m.studies));
    }
    void CountsArrived() override {
        const auto m = monitor_->snapshot();
        images.push_back(send::DescribeProgress(m, std::chrono::seconds(0)).images);
        if (onCounts) onCounts(m);
    }
    void Finished() override {
        monitor_ = nullptr;
        events.push_back("finished");
    }
    // "Cancel"; notes whether it took effect.
    void press() { presses.push_back(monitor_ != nullptr && monitor_->RequestCancel()); }

    std::vector<std::string> events;  // "started", "<destination> <k>/<n>" per move, "finished"
    std::vector<std::string> images;
    std::vector<bool> presses;
    // Runs at each pending response, after it was merged.
    std::function<void(const send::MoveSnapshot&)> onCounts;

private:
    send::MoveMonitor* monitor_ = nullptr;
};

}  // namespace pelko::test
