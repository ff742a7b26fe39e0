#include "dicom/dcmtk/DcmtkToolkit.h"

#include <csignal>
#include <cstdlib>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/oflog/oflog.h"
#include "dicom/dcmtk/DcmtkEcho.h"
#include "dicom/dcmtk/DcmtkQueryAssociation.h"
#include "dicom/dcmtk/DcmtkStoreAssociation.h"

namespace pelko::dicom {
namespace {

class DcmtkUidGenerator : public UidGenerator {
public:
    std::string NewUID() override { return NewUuidDerivedUid(); }
};

class DcmtkToolkit : public Toolkit {
public:
    std::unique_ptr<QueryAssociation> newQueryAssociation(const AssociationParameters& peer) override {
        return std::make_unique<dcmtk::DcmtkQueryAssociation>(peer);
    }
    std::unique_ptr<StoreAssociation> newStoreAssociation(const AssociationParameters& peer) override {
        return std::make_unique<dcmtk::DcmtkStoreAssociation>(peer);
    }
    std::unique_ptr<UidGenerator> newUidGenerator() override { return std::make_unique<DcmtkUidGenerator>(); }
    EchoResult Echo(const AssociationParameters& peer) override { return dcmtk::DcmtkEcho(peer); }
};

}  // namespace

void ConfigureDcmtkLogging(bool verbose) {
    OFLog::configure(verbose ? OFLogger::DEBUG_LOG_LEVEL : OFLogger::OFF_LOG_LEVEL);
}

std::unique_ptr<Toolkit> MakeDcmtkToolkit() {
#ifdef SIGPIPE
    // DCMTK writes to its sockets with write(): a peer that has closed the
    // connection would end the program with SIGPIPE instead of an error.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // DCMTK leaves Nagle's algorithm on unless the environment variable
    // TCP_NODELAY says otherwise. Each PDU goes out as two writes (header,
    // then PDV), so the second one waits for the peer's delayed ACK: about
    // 40 ms per message on Linux. A value set by the user is kept.
#ifdef _WIN32
    if (std::getenv("TCP_NODELAY") == nullptr) _putenv_s("TCP_NODELAY", "1");
#else
    setenv("TCP_NODELAY", "1", 0 /* keep a value set by the user */);
#endif
    return std::make_unique<DcmtkToolkit>();
}

}  // namespace pelko::dicom
