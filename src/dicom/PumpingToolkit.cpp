#include "dicom/PumpingToolkit.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace pelko::dicom {
namespace {

class PumpingQuery : public QueryAssociation {
public:
    PumpingQuery(const PumpingToolkit& kit, std::unique_ptr<QueryAssociation> inner)
        : kit_(kit), inner_(std::move(inner)) {}

    DatasetList Find(const Dataset& identifier) override {
        copyProperties();
        DatasetList result;
        kit_.runPumping([&] { result = inner_->Find(identifier); });
        return result;
    }

    void Move() override {
        copyProperties();
        kit_.runPumping([&] { inner_->Move(); });
    }

private:
    void copyProperties() {
        inner_->setPort(port());
        inner_->setHost(host());
        inner_->setCalledAET(calledAET());
        inner_->setCallingAET(callingAET());
        inner_->setRoot(root());
        inner_->setLevel(level());
        inner_->setMoveDestination(moveDestination());
        inner_->setStudyUID(studyUID());
    }

    const PumpingToolkit& kit_;
    std::unique_ptr<QueryAssociation> inner_;
};

class PumpingStore : public StoreAssociation {
public:
    PumpingStore(const PumpingToolkit& kit, std::unique_ptr<StoreAssociation> inner)
        : kit_(kit), inner_(std::move(inner)) {}

    void Open(const std::string& host, std::int32_t port, const std::string& callingAET,
              const std::string& calledAET) override {
        kit_.runPumping([&] { inner_->Open(host, port, callingAET, calledAET); });
    }
    void Store(const std::string& sopClassUID, const std::string& sopInstanceUID, std::int16_t priority,
               const Dataset& dataset) override {
        kit_.runPumping([&] { inner_->Store(sopClassUID, sopInstanceUID, priority, dataset); });
    }
    void Close() override {
        kit_.runPumping([&] { inner_->Close(); });
    }

private:
    const PumpingToolkit& kit_;
    std::unique_ptr<StoreAssociation> inner_;
};

}  // namespace

PumpingToolkit::PumpingToolkit(Toolkit& inner)
    : PumpingToolkit(
          inner, [] { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents); },
          // The event dispatcher of the thread that made this toolkit (the
          // window's); its wake-up is kept until its next wait if none runs.
          [thread = QThread::currentThread()] {
              if (auto* dispatcher = QAbstractEventDispatcher::instance(thread)) dispatcher->wakeUp();
          }) {}

PumpingToolkit::PumpingToolkit(Toolkit& inner, std::function<void()> waitAndRun, std::function<void()> wake)
    : inner_(inner), waitAndRun_(std::move(waitAndRun)), wake_(std::move(wake)) {}

std::unique_ptr<QueryAssociation> PumpingToolkit::newQueryAssociation() {
    return std::make_unique<PumpingQuery>(*this, inner_.newQueryAssociation());
}

std::unique_ptr<StoreAssociation> PumpingToolkit::newStoreAssociation() {
    return std::make_unique<PumpingStore>(*this, inner_.newStoreAssociation());
}

std::unique_ptr<UidGenerator> PumpingToolkit::newUidGenerator() { return inner_.newUidGenerator(); }

void PumpingToolkit::runPumping(const std::function<void()>& work) const {
    std::atomic<bool> done{false};
    std::exception_ptr failure;
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
    if (failure) std::rethrow_exception(failure);
}

}  // namespace pelko::dicom
