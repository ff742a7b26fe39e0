#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "dicom/PumpingToolkit.h"
#include "support/FakeToolkit.h"

namespace pelko::dicom {
namespace {

using namespace std::chrono_literals;

// The window thread's event queue: other threads post events; waiting
// blocks until an event or a wake-up arrives (one that came earlier counts).
class FakeEvents {
public:
    void post(std::function<void()> event) {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(event));
        changed_.notify_all();
    }
    void wake() {
        std::lock_guard lock(mutex_);
        woken_ = true;
        changed_.notify_all();
    }
    void waitAndRun() {
        std::unique_lock lock(mutex_);
        waiting_ = true;
        changed_.notify_all();
        // Bounded so that a wake-up that never comes fails the test instead
        // of hanging it.
        if (!changed_.wait_for(lock, 60s, [&] { return woken_ || !queue_.empty(); })) {
            ADD_FAILURE() << "nothing woke the waiting thread";
            woken_ = true;
        }
        ++waits;
        waiting_ = false;
        woken_ = false;
        auto batch = std::move(queue_);
        queue_.clear();
        lock.unlock();
        for (auto& event : batch) event();
    }
    // Blocks until the waiting thread waits (bounded like the wait itself).
    void awaitWaiter() {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, 60s, [&] { return waiting_; })) ADD_FAILURE() << "nobody waited";
    }
    int waits = 0;  // by the waiting thread only

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
    bool woken_ = false;
    bool waiting_ = false;
};

struct Pumped {
    test::FakeToolkit fake;
    FakeEvents events;
    PumpingToolkit kit{fake, [this] { events.waitAndRun(); }, [this] { events.wake(); }};
};

TEST(PumpingToolkitTest, EventsRunOnTheCallingThreadWhileTheCallIsUnderWay) {
    Pumped p;
    const auto caller = std::this_thread::get_id();
    std::thread::id eventThread, worker;
    p.fake.onMove = [&](const test::MoveCall&) {
        worker = std::this_thread::get_id();
        std::promise<void> handled;
        p.events.post([&] {
            eventThread = std::this_thread::get_id();
            handled.set_value();
        });
        // The call goes on only once the window has handled the event.
        if (handled.get_future().wait_for(60s) != std::future_status::ready)
            throw std::runtime_error("the event waited for the end of the call");
    };
    auto query = p.kit.newQueryAssociation({});
    query->Move("1.2.3", "DEST1");
    EXPECT_EQ(eventThread, caller);
    EXPECT_NE(worker, caller);
}

TEST(PumpingToolkitTest, AQuietCallEndsWithoutPollingAndPassesParametersResultsAndErrors) {
    Pumped p;
    Dataset study;
    study.setStudyInstanceUID("1.2.3");
    p.fake.findResult.push_back(study);
    p.fake.onMove = [&](const test::MoveCall& call) {
        p.events.awaitWaiter();  // the call ends while the caller waits
        if (call.studyUID == "bad") throw DicomError(0xC000, "C-MOVE failed");
    };

    AssociationParameters peer;
    peer.host = "archive.example";
    peer.port = 104;
    peer.calledAET = "ARCHIVE";
    peer.callingAET = "US";
    peer.timeouts.moveResponseSeconds = 5;
    auto query = p.kit.newQueryAssociation(peer);
    query->Move("1.2.3", "DEST1");
    // No event arrived: the waiting thread woke only for the end of the call.
    EXPECT_LE(p.events.waits, 1);
    ASSERT_EQ(p.fake.moves.size(), 1u);
    EXPECT_EQ(p.fake.moves[0].destination, "DEST1");
    EXPECT_EQ(p.fake.moves[0].peer, peer) << "the parameters reach the wrapped toolkit whole";

    try {
        query->Move("bad", "DEST1");
        FAIL() << "the failure was swallowed";
    } catch (const DicomError& e) {
        EXPECT_EQ(e.number(), 0xC000);
    }

    const DatasetList found = query->Find(Dataset());
    ASSERT_EQ(found.Count(), 1);
    EXPECT_EQ(found[0].StudyInstanceUID(), "1.2.3");
    // Both moves went over one wrapped association.
    EXPECT_EQ(p.fake.queryAssociations, 1);
}

TEST(PumpingToolkitTest, ReleaseRunsOffTheCallingThread) {
    Pumped p;
    const auto caller = std::this_thread::get_id();
    std::vector<std::thread::id> releasedOn;
    p.fake.onRelease = [&] { releasedOn.push_back(std::this_thread::get_id()); };

    p.kit.newQueryAssociation({}).reset();
    p.kit.newStoreAssociation({}).reset();

    ASSERT_EQ(releasedOn.size(), 2u);
    for (const auto& id : releasedOn) EXPECT_NE(id, caller);
}

}  // namespace
}  // namespace pelko::dicom
