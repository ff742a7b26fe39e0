// The client side of DICOM over TLS on DCMTK's TLS layer: the
// non-downgrading BCP 195 profile (TLS 1.2 or later), the archive's certificate verified against the trusted
// certificates and its host name or IP address, optionally our own
// certificate. Private to the adapter.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/ofstd/ofcond.h"
#include "dicom/Tls.h"
#include "dicom/Toolkit.h"

class DcmTLSTransportLayer;
class DcmTransportLayer;

namespace pelko::dicom::dcmtk {

class TlsClient {
public:
    // Loads the PEM files of `settings` for a connection to `host`. Throws
    // DicomError (kErrTlsSettings) naming `operation` when a file is missing
    // or unreadable, the key does not match the certificate, or only one of
    // certificate and key is given.
    TlsClient(const TlsSettings& settings, const std::string& host, const std::string& operation);
    ~TlsClient();
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    // The layer for DcmSCU::useSecureConnection() (protected: the SCU
    // subclass hands it over between initNetwork() and
    // negotiateAssociation()). It must outlive the SCU's network.
    DcmTransportLayer* layer() const;

    // Call right before the association request: forgets the failures of
    // earlier connections.
    void BeginHandshake();

    // The error for a failed association request `cond` when the failure is
    // the TLS layer's (handshake failed, certificate not verified, archive
    // not speaking TLS, our certificate required or refused), with what
    // went wrong in plain words; nullopt for other failures. Reads and
    // empties this thread's OpenSSL error queue: call right after the
    // failed request, on its thread.
    // A handshake without an answer within `waitSeconds` is kErrTimeout.
    std::optional<DicomError> Failure(const std::string& operation, const OFCondition& cond, int waitSeconds);

    // The first reason the archive's certificate failed verification, e.g.
    // "self-signed certificate (subject CN=archive)"; "" when none did.
    const std::string& verifyFailure() const { return verifyFailure_; }

private:
    std::unique_ptr<DcmTLSTransportLayer> layer_;
    bool clientCertificate_ = false;
    std::string verifyFailure_;  // written by the verification callback
};

// DCMTK runs the TLS handshake on a blocking socket bounded only by its
// process-wide socket time-outs (60 s by default), which it applies to
// every connection it makes next. For a TLS connection they are set to
// `seconds`, the association bound, so a peer that accepts the connection
// and stays silent is given up as soon as in a plain association; a plain
// connection gets DCMTK's defaults back. DIMSE waits for data with select()
// before reading, so long waits between responses are not cut by it.
void BoundSocketWaits(bool tls, int seconds);

}  // namespace pelko::dicom::dcmtk
