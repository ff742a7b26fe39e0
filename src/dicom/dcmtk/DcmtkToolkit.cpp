#include "dicom/dcmtk/DcmtkToolkit.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dul.h"
#include "dcmtk/oflog/appender.h"
#include "dcmtk/oflog/logger.h"
#include "dcmtk/oflog/oflog.h"
#include "dcmtk/oflog/spi/logevent.h"
#include "dicom/dcmtk/DcmtkEcho.h"
#include "dicom/dcmtk/DcmtkQueryAssociation.h"
#include "dicom/dcmtk/DcmtkStoreAssociation.h"
#include "dicom/dcmtk/Sockets.h"
#include "log/DicomLog.h"

namespace pelko::dicom {
namespace {

namespace log4 = ::dcmtk::log4cplus;

class DcmtkUidGenerator : public UidGenerator {
public:
    std::string NewUID() override { return NewUuidDerivedUid(); }
};

class DcmtkToolkit : public Toolkit {
public:
    explicit DcmtkToolkit(DicomLog* log) : log_(log) {}
    std::unique_ptr<QueryAssociation> newQueryAssociation(const AssociationParameters& peer) override {
        return std::make_unique<dcmtk::DcmtkQueryAssociation>(peer, log_);
    }
    std::unique_ptr<StoreAssociation> newStoreAssociation(const AssociationParameters& peer) override {
        return std::make_unique<dcmtk::DcmtkStoreAssociation>(peer, log_);
    }
    std::unique_ptr<UidGenerator> newUidGenerator() override { return std::make_unique<DcmtkUidGenerator>(); }
    EchoResult Echo(const AssociationParameters& peer) override { return dcmtk::DcmtkEcho(peer, log_); }

private:
    DicomLog* log_;
};

// DCMTK's log events as lines of a DicomLog: "DCMTK I: <message>".
class SinkAppender : public log4::Appender {
public:
    explicit SinkAppender(DicomLog& sink) : sink_(sink) {}
    ~SinkAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4::spi::InternalLoggingEvent& event) override {
        const log4::tstring& message = event.getMessage();
        sink_.Write("DCMTK " + std::string(log4::getLogLevelManager().toString(event.getLogLevel()).c_str()) +
                    ": " + std::string(message.c_str(), message.size()));
    }

private:
    DicomLog& sink_;
};

constexpr const char* kNetworkLogger = "dcmtk.dcmnet";

}  // namespace

void InitializeDcmtkProcess(bool verbose) {
    // DCMTK leaves Nagle's algorithm on unless the environment variable
    // TCP_NODELAY says otherwise; the adapter's transport layers switch it
    // off on their sockets as well.
    dcmtk::PrepareProcessSockets();
    // Only DCMTK 3.6.7 uses it: later versions take each association's own.
    dcmConnectionTimeout.set(kConnectTimeoutSeconds);
    OFLog::configure(verbose ? OFLogger::DEBUG_LOG_LEVEL : OFLogger::OFF_LOG_LEVEL);
}

void RouteDcmtkNetworkLog(DicomLog* sink) {
    log4::Logger network = log4::Logger::getInstance(kNetworkLogger);
    network.removeAllAppenders();
    if (sink == nullptr) {
        network.setLogLevel(log4::NOT_SET_LOG_LEVEL);
        network.setAdditivity(true);
        return;
    }
    network.setLogLevel(log4::INFO_LOG_LEVEL);
    network.setAdditivity(false);
    network.addAppender(log4::SharedAppenderPtr(new SinkAppender(*sink)));
}

std::unique_ptr<Toolkit> MakeDcmtkToolkit(DicomLog* log) {
    if (log != nullptr) RouteDcmtkNetworkLog(log);
    return std::make_unique<DcmtkToolkit>(log);
}

}  // namespace pelko::dicom
