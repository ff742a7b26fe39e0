#include "dicom/dcmtk/DcmtkAssociation.h"

#include <cstdio>

#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/cond.h"
#include "dcmtk/dcmnet/dcmlayer.h"
#include "dcmtk/dcmnet/dcmtrans.h"
#include "dicom/dcmtk/DcmtkTls.h"
#include "log/DicomLog.h"

namespace pelko::dicom::dcmtk {
namespace {

// DCMTK's plain TCP connection, whose waits for data end once its reading
// side is shut.
class PlainConnection : public DcmTCPConnection {
public:
    PlainConnection(DcmNativeSocketType openSocket, const ConnectedSocket& socket)
        : DcmTCPConnection(openSocket), socket_(socket) {}
    OFBool networkDataAvailable(int timeout) override {
        return socket_.readingShut || DcmTCPConnection::networkDataAvailable(timeout);
    }

private:
    const ConnectedSocket& socket_;
};

// DCMTK's plain TCP layer; notes the socket of each connection it makes.
class PlainLayer : public DcmTransportLayer {
public:
    explicit PlainLayer(ConnectedSocket& socket) : socket_(socket) {}
    DcmTransportConnection* createConnection(DcmNativeSocketType openSocket, OFBool useSecureLayer) override {
        if (useSecureLayer) return nullptr;
        socket_.Take(openSocket, 0);
        return new PlainConnection(openSocket, socket_);
    }

private:
    ConnectedSocket& socket_;
};

std::string RejectText(const T_ASC_RejectParameters& rej) {
    std::string text =
        rej.result == ASC_RESULT_REJECTEDTRANSIENT ? "rejected (transient)" : "rejected (permanent)";
    switch (rej.source) {
        case ASC_SOURCE_SERVICEUSER:
            text += " by the service user";
            break;
        case ASC_SOURCE_SERVICEPROVIDER_ACSE_RELATED:
            text += " by the service provider (ACSE)";
            break;
        case ASC_SOURCE_SERVICEPROVIDER_PRESENTATION_RELATED:
            text += " by the service provider (presentation)";
            break;
        default:
            break;
    }
    switch (rej.reason) {
        case ASC_REASON_SU_NOREASON:
        case ASC_REASON_SP_ACSE_NOREASON:
            return text + ": no reason given";
        case ASC_REASON_SU_APPCONTEXTNAMENOTSUPPORTED:
            return text + ": application context name not supported";
        case ASC_REASON_SU_CALLINGAETITLENOTRECOGNIZED:
            return text + ": calling AE title not recognized";
        case ASC_REASON_SU_CALLEDAETITLENOTRECOGNIZED:
            return text + ": called AE title not recognized";
        case ASC_REASON_SP_ACSE_PROTOCOLVERSIONNOTSUPPORTED:
            return text + ": protocol version not supported";
        case ASC_REASON_SP_PRES_TEMPORARYCONGESTION:
            return text + ": temporary congestion";
        case ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED:
            return text + ": local limit exceeded";
        default:
            return text + ": reason " + StatusHex(static_cast<std::uint16_t>(rej.reason));
    }
}

std::string UidName(const std::string& uid) {
    return dcmFindNameOfUID(uid.c_str(), uid.c_str());
}

// The data set type of the responses the adapter reads.
bool HasDataset(const T_DIMSE_Message& m) {
    switch (m.CommandField) {
        case DIMSE_C_FIND_RSP:
            return m.msg.CFindRSP.DataSetType != DIMSE_DATASET_NULL;
        case DIMSE_C_MOVE_RSP:
            return m.msg.CMoveRSP.DataSetType != DIMSE_DATASET_NULL;
        case DIMSE_C_STORE_RSP:
            return m.msg.CStoreRSP.DataSetType != DIMSE_DATASET_NULL;
        case DIMSE_C_ECHO_RSP:
            return m.msg.CEchoRSP.DataSetType != DIMSE_DATASET_NULL;
        default:
            return false;
    }
}

}  // namespace

void ConnectedSocket::Take(DcmNativeSocketType socket, int waitSeconds) {
    fd = socket;
    TuneSocket(fd, waitSeconds);
}

std::string IdentifierText(const Dataset& identifier) {
    std::string text;
    for (const auto& a : identifier.Attributes().items()) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "(%04X,%04X)=", static_cast<unsigned>(a.tag.group),
                      static_cast<unsigned>(a.tag.element));
        text += (text.empty() ? "" : " ") + std::string(tag) + a.value;
    }
    return text;
}

std::string CountsText(const MoveCounts& counts) {
    return std::to_string(counts.completed) + " completed, " + std::to_string(counts.failed) + " failed, " +
           std::to_string(counts.warning) + " warning";
}

int WholeSeconds(std::chrono::steady_clock::duration d) {
    const auto s = std::chrono::ceil<std::chrono::seconds>(d).count();
    return s < 1 ? 1 : static_cast<int>(s);
}

Association::Association(const AssociationParameters& params, int dimseTimeoutSeconds, DicomLog* log)
    : params_(params),
      peer_{params.calledAET, params.host, params.port},
      dimseTimeoutSeconds_(dimseTimeoutSeconds),
      log_(log) {}

Association::~Association() {
    if (isOpen()) Abort();
    Close();
}

std::string Association::AssociationText() const {
    return "Association from " + params_.callingAET + " to " + peer_.Text();
}

void Association::Log(const std::string& line) const {
    if (log_ != nullptr) log_->Write(line);
}

void Association::Propose(const std::string& abstractSyntax,
                          const std::vector<std::string>& transferSyntaxes) {
    for (const auto& ts : transferSyntaxes) {
        const auto id = static_cast<T_ASC_PresentationContextID>(1 + 2 * proposed_.size());
        proposed_.push_back({id, abstractSyntax, ts});
    }
}

void Association::Fail(const DicomError& error) {
    Log(error.what());
    Abort();
    Close();
    throw error;
}

void Association::LogOperation(const std::string& operation, const std::string& outcome,
                               std::chrono::steady_clock::time_point started) const {
    if (log_ == nullptr) return;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", took.count());
    Log(operation + ": " + outcome + ", " + seconds + " s");
}

void Association::Open() {
    const std::string text = AssociationText();
    if (peer_.port <= 0 || peer_.port > 65535)
        throw DicomError(kErrInvalidArgument, text + " failed: invalid port");
    if (peer_.host.empty()) throw DicomError(kErrInvalidArgument, text + " failed: no host");
    const bool tls = params_.tls.enabled;
    const int acse = params_.timeouts.associationSeconds;
    Log(text + " requested, " + (tls ? "TLS" : "no TLS"));
    if (tls) tls_ = std::make_unique<TlsClient>(params_.tls, peer_.host, text, socket_, acse);

    const auto check = [&](const OFCondition& cond) {
        if (cond.bad()) Fail(NetworkError(text, cond, acse));
    };
    check(ASC_initializeNetwork(NET_REQUESTOR, 0, acse, &network_));
    if (tls) {
        check(ASC_setTransportLayer(network_, tls_->layer(), 0));
    } else {
        plainLayer_ = std::make_unique<PlainLayer>(socket_);
        check(ASC_setTransportLayer(network_, plainLayer_.get(), 0));
    }
#if PACKAGE_VERSION_NUMBER >= 368
    check(ASC_createAssociationParameters(&parameters_, ASC_DEFAULTMAXPDU, params_.timeouts.connectSeconds));
#else
    // DCMTK 3.6.7 knows only its process-wide connect time-out, which
    // InitializeDcmtkProcess sets.
    check(ASC_createAssociationParameters(&parameters_, ASC_DEFAULTMAXPDU));
#endif
    check(ASC_setAPTitles(parameters_, params_.callingAET.c_str(), peer_.aet.c_str(), nullptr));
    const std::string address = peer_.host + ":" + std::to_string(peer_.port);
    check(ASC_setPresentationAddresses(parameters_, "localhost", address.c_str()));
    check(ASC_setTransportLayerType(parameters_, tls ? OFTrue : OFFalse));
    for (const auto& p : proposed_) {
        const char* syntaxes[] = {p.transferSyntax.c_str()};
        check(ASC_addPresentationContext(parameters_, p.id, p.abstractSyntax.c_str(), syntaxes, 1));
    }

    if (tls_) tls_->BeginHandshake();
    const OFCondition cond = ASC_requestAssociation(network_, parameters_, &assoc_);
    if (cond.good()) {
        open_ = true;
        LogAccepted();
        return;
    }
    if (cond == DUL_ASSOCIATIONREJECTED) {
        const std::string reason = RejectReason();
        Log(text + " " + reason);
        Close();
        throw DicomError(kErrAssociationRejected,
                         NetworkWords(NetworkFailure::Rejected, peer_.Text(), reason));
    }
    std::optional<DicomError> tlsError;
    if (tls_) tlsError = tls_->Failure(peer_.Text(), text, cond, acse);
    Fail(tlsError ? *tlsError : NetworkError(text, cond, acse));
}

void Association::LogAccepted() {
    if (log_ == nullptr) return;
    std::string contexts;
    for (const auto& p : proposed_) {
        T_ASC_PresentationContext pc;
        if (ASC_findAcceptedPresentationContext(parameters_, p.id, &pc).bad() ||
            pc.resultReason != ASC_P_ACCEPTANCE) {
            continue;
        }
        contexts += (contexts.empty() ? "" : ", ") + UidName(p.abstractSyntax) + " in " +
                    UidName(pc.acceptedTransferSyntax);
    }
    Log(AssociationText() + " accepted, " + (tls_ ? "TLS" : "no TLS") +
        "; presentation contexts: " + (contexts.empty() ? "none" : contexts));
}

std::string Association::RejectReason() {
    T_ASC_RejectParameters rej{};
    if (parameters_ == nullptr || ASC_getRejectParameters(parameters_, &rej).bad()) return "rejected";
    return RejectText(rej);
}

T_ASC_PresentationContextID Association::ContextFor(const std::string& abstractSyntax,
                                                    const std::string& operation) {
    for (const auto& p : proposed_) {
        T_ASC_PresentationContext pc;
        if (p.abstractSyntax == abstractSyntax && isOpen() &&
            ASC_findAcceptedPresentationContext(parameters_, p.id, &pc).good() &&
            pc.resultReason == ASC_P_ACCEPTANCE) {
            return p.id;
        }
    }
    throw DicomError(
        kErrNoPresentationContext,
        operation + " failed: " + peer_.aet + " accepted no presentation context for " + abstractSyntax);
}

OFCondition Association::Send(T_ASC_PresentationContextID context, T_DIMSE_Message& command,
                              DcmDataset* dataset) {
    return DIMSE_sendMessageUsingMemoryData(assoc_, context, &command, nullptr, dataset, nullptr, nullptr);
}

OFCondition Association::SendCancel(T_ASC_PresentationContextID context, DIC_US messageId) {
    return DIMSE_sendCancelRequest(assoc_, context, messageId);
}

bool Association::DataWaiting(std::chrono::milliseconds wait) {
    // DCMTK may hold part of a message already read (or TLS records).
    if (ASC_dataWaiting(assoc_, 0)) return true;
    return WaitReadable(socket_.fd, wait);
}

OFCondition Association::Receive(int seconds, Message& message) {
    DcmDataset* detail = nullptr;
    OFCondition cond =
        DIMSE_receiveCommand(assoc_, DIMSE_NONBLOCKING, seconds, &message.context, &message.command, &detail);
    message.statusDetail.reset(detail);
    if (cond.bad() || !HasDataset(message.command)) return cond;
    DcmDataset* dataset = nullptr;
    T_ASC_PresentationContextID context = 0;
    cond = DIMSE_receiveDataSetInMemory(assoc_, DIMSE_NONBLOCKING, seconds, &context, &dataset, nullptr,
                                        nullptr);
    message.dataset.reset(dataset);
    return cond;
}

void Association::Release() noexcept {
    if (!isOpen()) return;
    if (ASC_releaseAssociation(assoc_).bad()) {
        Abort();
        return;
    }
    Log(AssociationText() + " released");
    Close();
}

void Association::Abort() noexcept {
    if (!isOpen()) return;
    // After sending the A-ABORT, DCMTK reads on until the peer closes the
    // connection, for up to the association time-out: a silent peer would
    // add that wait to the one that already ran out. With our reading side
    // shut, that read ends at once; the A-ABORT still goes out.
    if (socket_.fd != kNoSocket) {
        ShutDownReading(socket_.fd);
        socket_.readingShut = true;
    }
    ASC_abortAssociation(assoc_);
    Log(AssociationText() + " aborted");
    Close();
}

void Association::Close() noexcept {
    if (assoc_ != nullptr) {
        ASC_destroyAssociation(&assoc_);  // drops the connection, frees the parameters
        parameters_ = nullptr;
    } else if (parameters_ != nullptr) {
        ASC_destroyAssociationParameters(&parameters_);
    }
    if (network_ != nullptr) ASC_dropNetwork(&network_);
    socket_.fd = kNoSocket;
    socket_.readingShut = false;
    open_ = false;
}

}  // namespace pelko::dicom::dcmtk
