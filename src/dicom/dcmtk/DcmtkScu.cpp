#include "dicom/dcmtk/DcmtkScu.h"

#include <sys/socket.h>

#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/cond.h"
#include "dcmtk/dcmnet/dcmtrans.h"
#include "dcmtk/dcmnet/dul.h"
#include "dicom/StatusWords.h"

namespace pelko::dicom::dcmtk {
namespace {

// DcmSCU keeps its association parameters private and offers no accessor
// for the reject parameters of a refused association (DCMTK 3.6.7). The
// pointer to the member is taken through an explicit template
// instantiation, whose arguments C++ exempts from access checking.
//
// This relies on DcmSCU's private layout: another DCMTK version may rename
// the member or add an accessor. Check it, then move the bound.
#if !defined(PACKAGE_VERSION_NUMBER) || PACKAGE_VERSION_NUMBER < 360 || PACKAGE_VERSION_NUMBER > 367
#error "Review Scu::RejectReason's access to DcmSCU::m_params for this DCMTK version"
#endif
template <typename Tag, typename Tag::type Member>
struct MemberAccess {
    friend typename Tag::type Get(Tag) { return Member; }
};
struct ScuParams {
    using type = T_ASC_Parameters* DcmSCU::*;
    friend type Get(ScuParams);
};
template struct MemberAccess<ScuParams, &DcmSCU::m_params>;
struct ScuAssociation {
    using type = T_ASC_Association* DcmSCU::*;
    friend type Get(ScuAssociation);
};
template struct MemberAccess<ScuAssociation, &DcmSCU::m_assoc>;
struct ConnectionSocket {
    using type = DcmNativeSocketType (DcmTransportConnection::*)();
    friend type Get(ConnectionSocket);
};
template struct MemberAccess<ConnectionSocket, &DcmTransportConnection::getSocket>;

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
            text += ": no reason given";
            break;
        case ASC_REASON_SU_APPCONTEXTNAMENOTSUPPORTED:
            text += ": application context name not supported";
            break;
        case ASC_REASON_SU_CALLINGAETITLENOTRECOGNIZED:
            text += ": calling AE title not recognized";
            break;
        case ASC_REASON_SU_CALLEDAETITLENOTRECOGNIZED:
            text += ": called AE title not recognized";
            break;
        case ASC_REASON_SP_ACSE_PROTOCOLVERSIONNOTSUPPORTED:
            text += ": protocol version not supported";
            break;
        case ASC_REASON_SP_PRES_TEMPORARYCONGESTION:
            text += ": temporary congestion";
            break;
        case ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED:
            text += ": local limit exceeded";
            break;
        default:
            text += ": reason " + StatusHex(static_cast<std::uint16_t>(rej.reason));
            break;
    }
    return text;
}

}  // namespace

Scu::Scu(const AssociationParameters& params, int dimseTimeoutSeconds)
    : params_(params),
      peer_{params.calledAET, params.host, params.port},
      dimseTimeoutSeconds_(dimseTimeoutSeconds) {
    setAETitle(params_.callingAET.c_str());
    setPeerAETitle(peer_.aet.c_str());
    setPeerHostName(peer_.host.c_str());
    setPeerPort(static_cast<Uint16>(peer_.port));
    setACSETimeout(static_cast<Uint32>(params_.timeouts.associationSeconds));
    // Non-blocking DIMSE: without it DCMTK ignores the DIMSE time-out and a
    // silent peer blocks forever.
    setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    setDIMSETimeout(static_cast<Uint32>(dimseTimeoutSeconds_));
}

Scu::~Scu() {
    if (isConnected()) Abort();
    // The network refers to the TLS layer, which goes before DcmSCU's own
    // destructor runs.
    if (tls_) freeNetwork();
}

std::string Scu::AssociationText() const {
    return "Association from " + params_.callingAET + " to " + peer_.Text();
}

void Scu::Propose(const std::string& abstractSyntax, const std::vector<std::string>& transferSyntaxes) {
    for (const auto& ts : transferSyntaxes) {
        OFList<OFString> list;
        list.push_back(ts.c_str());
        addPresentationContext(abstractSyntax.c_str(), list);
        proposed_.emplace_back(abstractSyntax, ts);
    }
}

void Scu::Connect() {
    if (peer_.port <= 0 || peer_.port > 65535) {
        throw DicomError(kErrInvalidArgument, AssociationText() + " failed: invalid port");
    }
    if (peer_.host.empty()) throw DicomError(kErrInvalidArgument, AssociationText() + " failed: no host");
    // The connection time-out is a process-wide setting of DCMTK; set it
    // for this connection right before connecting.
    setConnectionTimeout(params_.timeouts.connectSeconds);
    if (params_.tls.enabled && !tls_) {
        tls_ = std::make_unique<TlsClient>(params_.tls, peer_.host, AssociationText());
    }
    BoundSocketWaits(tls_ != nullptr, params_.timeouts.associationSeconds);
    OFCondition cond = initNetwork();
    if (cond.bad()) throw NetworkError(AssociationText(), cond, params_.timeouts.associationSeconds);
    if (tls_) {
        if (useSecureConnection(tls_->layer()).bad()) {
            freeNetwork();
            throw DicomError(kErrTlsSettings, AssociationText() + " failed: the TLS layer cannot be used");
        }
        tls_->BeginHandshake();
    }
    cond = negotiateAssociation();
    if (cond.good()) return;
    if (cond == DUL_ASSOCIATIONREJECTED) {
        const std::string reason = RejectReason();
        freeNetwork();
        throw DicomError(kErrAssociationRejected,
                         NetworkWords(NetworkFailure::Rejected, peer_.Text(), reason));
    }
    std::optional<DicomError> tlsError;
    if (tls_) tlsError = tls_->Failure(AssociationText(), cond, params_.timeouts.associationSeconds);
    DicomError error =
        tlsError ? *tlsError : NetworkError(AssociationText(), cond, params_.timeouts.associationSeconds);
    if (isConnected()) Abort();
    freeNetwork();
    throw error;
}

std::string Scu::RejectReason() {
    T_ASC_Parameters* params = this->*Get(ScuParams{});
    T_ASC_RejectParameters rej{};
    if (params == nullptr || ASC_getRejectParameters(params, &rej).bad()) return "rejected";
    return RejectText(rej);
}

T_ASC_PresentationContextID Scu::ContextFor(const std::string& abstractSyntax, const std::string& operation) {
    for (const auto& [as, ts] : proposed_) {
        if (as != abstractSyntax) continue;
        const T_ASC_PresentationContextID id = findPresentationContextID(as.c_str(), ts.c_str());
        if (id != 0) return id;
    }
    throw DicomError(
        kErrNoPresentationContext,
        operation + " failed: " + peer_.aet + " accepted no presentation context for " + abstractSyntax);
}

void Scu::Release() noexcept {
    if (!isConnected()) return;
    if (releaseAssociation().bad()) Abort();
}

void Scu::Abort() noexcept {
    if (!isConnected()) return;
    // After sending the A-ABORT, DCMTK reads on until the peer closes the
    // connection, for up to the association time-out: a silent peer would
    // add that wait to the one that already ran out. With our reading side
    // shut, that read ends at once; the A-ABORT still goes out.
    const T_ASC_Association* assoc = this->*Get(ScuAssociation{});
    if (assoc != nullptr && assoc->DULassociation != nullptr) {
        if (DcmTransportConnection* connection = DUL_getTransportConnection(assoc->DULassociation)) {
            ::shutdown((connection->*Get(ConnectionSocket{}))(), SHUT_RD);
        }
    }
    abortAssociation();
}

}  // namespace pelko::dicom::dcmtk
