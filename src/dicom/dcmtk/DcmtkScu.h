// DCMTK's DcmSCU with the adapter's rules: the peer, our AE title and the
// bounded waits from AssociationParameters,
// non-blocking DIMSE, and every failure as a DicomError. Private to the
// adapter.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/scu.h"
#include "dicom/Toolkit.h"
#include "dicom/dcmtk/DcmtkErrors.h"
#include "dicom/dcmtk/DcmtkTls.h"

namespace pelko::dicom::dcmtk {

inline constexpr const char* kStudyRootFind = "1.2.840.10008.5.1.4.1.2.2.1";
inline constexpr const char* kStudyRootMove = "1.2.840.10008.5.1.4.1.2.2.2";

class Scu : public DcmSCU {
public:
    // `dimseTimeoutSeconds` bounds each wait for a response; it is one of
    // the time-outs of `params`.
    Scu(const AssociationParameters& params, int dimseTimeoutSeconds);
    ~Scu() override;

    // Proposes `abstractSyntax` once per transfer syntax in `transferSyntaxes`
    // (one presentation context each, in this order of preference).
    void Propose(const std::string& abstractSyntax, const std::vector<std::string>& transferSyntaxes);

    // Opens the association, over TLS when the parameters say so. Throws
    // DicomError (refused, no connection, time-out, no accepted presentation
    // context, TLS settings or handshake).
    void Connect();

    // The accepted presentation context for `abstractSyntax`, the first in
    // the order proposed; throws DicomError when there is none.
    T_ASC_PresentationContextID ContextFor(const std::string& abstractSyntax, const std::string& operation);

    // Releases the association; aborts it when the release fails. Never throws.
    void Release() noexcept;
    void Abort() noexcept;

    const Peer& peer() const { return peer_; }
    const AssociationParameters& parameters() const { return params_; }
    int dimseTimeoutSeconds() const { return dimseTimeoutSeconds_; }
    // "Association from PELKO to ORTHANC (127.0.0.1:4242)"
    std::string AssociationText() const;

private:
    std::string RejectReason();

    AssociationParameters params_;
    Peer peer_;
    int dimseTimeoutSeconds_;
    std::vector<std::pair<std::string, std::string>> proposed_;  // abstract, transfer syntax
    std::unique_ptr<TlsClient> tls_;  // outlives the network: freed in the destructor
};

}  // namespace pelko::dicom::dcmtk
