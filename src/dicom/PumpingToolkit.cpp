#include "dicom/PumpingToolkit.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace pelko::dicom {
namespace {

// Each wrapper runs every call of the wrapped association, its release in
// the destructor included, through runPumping: the network is never waited
// for on the calling thread.
template <typename Inner>
class Pumped {
public:
    Pumped(const PumpingToolkit& kit, std::unique_ptr<Inner> inner) : kit_(kit), inner_(std::move(inner)) {}
    ~Pumped() { kit_.release(std::shared_ptr<Inner>(std::move(inner_))); }
    Pumped(const Pumped&) = delete;
    Pumped& operator=(const Pumped&) = delete;

protected:
    const PumpingToolkit& kit_;
    std::unique_ptr<Inner> inner_;
};

class PumpingQuery : public QueryAssociation, private Pumped<QueryAssociation> {
public:
    using Pumped::Pumped;

    DatasetList Find(const Dataset& identifier, const FindObserver* observer) override {
        DatasetList result;
        kit_.runPumping([&] { result = inner_->Find(identifier, observer); });
        return result;
    }
    MoveResult Move(const std::string& studyUid, const std::string& destination,
                    MoveObserver* observer) override {
        MoveResult result;
        kit_.runPumping([&] { result = inner_->Move(studyUid, destination, observer); });
        return result;
    }
    MoveResult MoveSeries(const std::string& studyUid, const std::vector<std::string>& seriesUids,
                          const std::string& destination, MoveObserver* observer) override {
        MoveResult result;
        kit_.runPumping([&] { result = inner_->MoveSeries(studyUid, seriesUids, destination, observer); });
        return result;
    }
};

class PumpingStore : public StoreAssociation, private Pumped<StoreAssociation> {
public:
    using Pumped::Pumped;

    void Open(const std::string& sopClassUID) override {
        kit_.runPumping([&] { inner_->Open(sopClassUID); });
    }
    void Store(const std::string& sopInstanceUID, const Dataset& dataset) override {
        kit_.runPumping([&] { inner_->Store(sopInstanceUID, dataset); });
    }
    void Close() override {
        kit_.runPumping([&] { inner_->Close(); });
    }
};

}  // namespace

PumpingToolkit::PumpingToolkit(Toolkit& inner)
    : PumpingToolkit(
          inner,
          [] { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents); },
          // The event dispatcher of the thread that made this toolkit (the
          // window's); its wake-up is kept until its next wait if none runs.
          [thread = QThread::currentThread()] {
              if (auto* dispatcher = QAbstractEventDispatcher::instance(thread)) dispatcher->wakeUp();
          }) {}

PumpingToolkit::PumpingToolkit(Toolkit& inner, std::function<void()> waitAndRun, std::function<void()> wake)
    : inner_(inner), waitAndRun_(std::move(waitAndRun)), wake_(std::move(wake)) {}

// The parameters go to the wrapped toolkit whole, as given.
std::unique_ptr<QueryAssociation> PumpingToolkit::newQueryAssociation(const AssociationParameters& peer) {
    std::unique_ptr<QueryAssociation> inner;
    runPumping([&] { inner = inner_.newQueryAssociation(peer); });
    return std::make_unique<PumpingQuery>(*this, std::move(inner));
}

std::unique_ptr<StoreAssociation> PumpingToolkit::newStoreAssociation(const AssociationParameters& peer) {
    std::unique_ptr<StoreAssociation> inner;
    runPumping([&] { inner = inner_.newStoreAssociation(peer); });
    return std::make_unique<PumpingStore>(*this, std::move(inner));
}

std::unique_ptr<UidGenerator> PumpingToolkit::newUidGenerator() {
    return inner_.newUidGenerator();
}

EchoResult PumpingToolkit::Echo(const AssociationParameters& peer) {
    EchoResult result;
    runPumping([&] { result = inner_.Echo(peer); });
    return result;
}

NestedCallError::NestedCallError()
    : std::logic_error(
          "A network call was refused because another one was still under way; only one runs at a time.") {}

void PumpingToolkit::runPumping(const std::function<void()>& work) const {
    if (calling_.exchange(true, std::memory_order_acq_rel)) throw NestedCallError();
    std::exception_ptr failure;
    {
        struct Ended {
            std::atomic<bool>& calling;
            ~Ended() { calling.store(false, std::memory_order_release); }
        } ended{calling_};
        std::atomic<bool> done{false};
        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            done.store(true, std::memory_order_release);
            if (wake_) wake_();
        });
        while (waitAndRun_ && !done.load(std::memory_order_acquire)) waitAndRun_();
        worker.join();
    }
    std::vector<std::shared_ptr<void>> pending;
    {
        std::lock_guard lock(pendingMutex_);
        pending.swap(pendingReleases_);
    }
    for (auto& association : pending) release(std::move(association));
    if (failure) std::rethrow_exception(failure);
}

void PumpingToolkit::release(std::shared_ptr<void> association) const {
    try {
        runPumping([&] { association.reset(); });
    } catch (const NestedCallError&) {
        std::lock_guard lock(pendingMutex_);
        pendingReleases_.push_back(std::move(association));
    } catch (...) {
        // A release never fails; nothing to report from a destructor.
    }
}

}  // namespace pelko::dicom
