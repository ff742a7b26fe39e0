// The client side of DICOM over TLS on DCMTK's TLS layer, set up on the
// first TLS association (OpenSSL costs start-up time otherwise): the
// non-downgrading BCP 195 profile (TLS 1.2 or later), the archive's
// certificate verified against the trusted certificates and its host name
// or IP address, optionally our own certificate. Private to the adapter.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/ofstd/ofcond.h"
#include "dicom/Tls.h"
#include "dicom/Toolkit.h"

class DcmTransportLayer;

namespace pelko::dicom::dcmtk {

struct ConnectedSocket;

class TlsClient {
public:
    // Loads the PEM files of `settings` for a connection to `host`. Throws
    // DicomError (kErrTlsSettings) naming `operation` when a file is missing
    // or unreadable, the key does not match the certificate, or only one of
    // certificate and key is given.
    // The connection's socket is noted in `socket`, its blocking reads and
    // writes (the handshake) bounded by `waitSeconds`.
    TlsClient(const TlsSettings& settings, const std::string& host, const std::string& operation,
              ConnectedSocket& socket, int waitSeconds);
    ~TlsClient();
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    // The layer for the association's network, which it must outlive.
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
    // `archive` names the peer ("ORTHANC (127.0.0.1:4242)"), `operation` the
    // association request.
    std::optional<DicomError> Failure(const std::string& archive, const std::string& operation,
                                      const OFCondition& cond, int waitSeconds);

private:
    class Layer;
    std::unique_ptr<Layer> layer_;
    bool clientCertificate_ = false;
    std::chrono::steady_clock::time_point handshakeStarted_{};
    std::string verifyFailure_;  // written by the verification callback
};

}  // namespace pelko::dicom::dcmtk
