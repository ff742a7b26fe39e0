// A toolkit that keeps the window alive while the network works.
//
// Each toolkit call still blocks its caller until it is done, but it runs on
// a worker thread while the calling thread waits for window events and runs
// each one as soon as it arrives: the window repaints, and clicks reach
// handlers that the action gate refuses while the call is under way. The
// worker wakes the calling thread the moment the call ends; nothing polls.
// One call runs at a time; the wrapped objects are never touched by two
// threads at once. The making and the release of an association (its
// destructor) are such calls too.
//
// A handler that runs during the wait and starts another call (it slipped
// past the action gate), or a call from another thread meanwhile, is
// refused with NestedCallError: two associations never run at once. A
// release refused that way waits until the running call has ended.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "dicom/Toolkit.h"

namespace pelko::dicom {

// A toolkit call started while another one was under way.
class NestedCallError : public std::logic_error {
public:
    NestedCallError();
};

class PumpingToolkit : public Toolkit {
public:
    // Runs the Qt events of the calling thread while a call is under way.
    explicit PumpingToolkit(Toolkit& inner);
    // `waitAndRun` runs on the calling thread: it blocks until events have
    // arrived or `wake` has been called (also before it began), then runs the
    // events. `wake` is called on the worker thread when the call ends.
    PumpingToolkit(Toolkit& inner, std::function<void()> waitAndRun, std::function<void()> wake);

    std::unique_ptr<QueryAssociation> newQueryAssociation(const AssociationParameters& peer) override;
    std::unique_ptr<StoreAssociation> newStoreAssociation(const AssociationParameters& peer) override;
    std::unique_ptr<UidGenerator> newUidGenerator() override;
    EchoResult Echo(const AssociationParameters& peer) override;

    // Runs `work` on a worker thread and runs events until it is done;
    // rethrows what `work` threw. Throws NestedCallError, without running
    // `work`, while another call is under way.
    void runPumping(const std::function<void()>& work) const;
    // Releases `association` (its last owner) as a call, or once the
    // running call has ended.
    void release(std::shared_ptr<void> association) const;

private:
    Toolkit& inner_;
    std::function<void()> waitAndRun_;
    std::function<void()> wake_;
    mutable std::atomic<bool> calling_{false};
    mutable std::mutex pendingMutex_;
    mutable std::vector<std::shared_ptr<void>> pendingReleases_;
};

}  // namespace pelko::dicom
