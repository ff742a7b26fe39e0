#include "dicom/dcmtk/DcmtkTls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "base/LocalFiles.h"
#include "base/Text.h"
#include "dcmtk/dcmnet/cond.h"
#include "dcmtk/dcmnet/dcmtrans.h"
#include "dcmtk/dcmtls/tlscond.h"
#include "dcmtk/dcmtls/tlslayer.h"
#include "dcmtk/dcmtls/tlstrans.h"
#include "dicom/StatusWords.h"
#include "dicom/dcmtk/DcmtkAssociation.h"

namespace pelko::dicom::dcmtk {
namespace {

// Slot of the SSL_CTX that points to the TlsClient's verification failure.
int VerifyFailureSlot() {
    static const int slot = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return slot;
}

// OpenSSL's verification result, unchanged; the first failure is kept in
// words for the error.
int VerifyCallback(int ok, X509_STORE_CTX* store) {
    if (ok) return ok;
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    if (ssl == nullptr) return ok;
    auto* failure = static_cast<std::string*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), VerifyFailureSlot()));
    if (failure == nullptr || !failure->empty()) return ok;
    *failure = X509_verify_cert_error_string(X509_STORE_CTX_get_error(store));
    if (X509* cert = X509_STORE_CTX_get_current_cert(store)) {
        char subject[256] = {};
        X509_NAME_oneline(X509_get_subject_name(cert), subject, sizeof subject);
        *failure += std::string(" (certificate ") + subject + ")";
    }
    return ok;
}

// A key that needs a password fails to load instead of OpenSSL asking for
// the password on the terminal.
int NoPassword(char*, int, int, void*) {
    return 0;
}

void InitializeOpenSsl() {
    static std::once_flag once;
    std::call_once(once, [] { DcmTLSTransportLayer::initializeOpenSSL(); });
}

// A PEM file of certificates for a workstation is a few kilobytes; a
// bundle of every public authority is under half a megabyte.
constexpr std::uintmax_t kMaxPemFileBytes = 4 * 1024 * 1024;

std::string FileProblem(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(Utf8Path(path), ec)) return "it does not exist";
    // Before any open: opening a FIFO waits for a writer, a device never ends.
    if (auto refusal = files::ReadRefusal(Utf8Path(path), kMaxPemFileBytes)) return *refusal;
    if (!std::ifstream(Utf8Path(path), std::ios::binary).good()) return "it cannot be read";
    return "";
}

// Reasons OpenSSL queued for this thread, oldest first; empties the queue.
std::vector<unsigned long> TakeOpenSslErrors() {
    std::vector<unsigned long> errors;
    while (const unsigned long e = ERR_get_error()) errors.push_back(e);
    return errors;
}

// Whether OpenSSL queued one of `reasons`, or DCMTK's condition text
// `detail` names one (DCMTK takes OpenSSL's reason into its condition).
bool Has(const std::vector<unsigned long>& errors, const std::string& detail,
         std::initializer_list<int> reasons) {
    for (const int r : reasons) {
        for (const unsigned long e : errors) {
            if (ERR_GET_LIB(e) == ERR_LIB_SSL && ERR_GET_REASON(e) == r) return true;
        }
        const char* text = ERR_reason_error_string(ERR_PACK(ERR_LIB_SSL, 0, r));
        if (text != nullptr && detail.find(text) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

// DCMTK's TLS layer; notes the socket of each connection it makes and bounds
// its blocking reads and writes, so that the handshake with a peer that
// accepts the connection and stays silent ends as a plain association
// would. DIMSE waits for data with select() before reading, so long waits
// between responses are not cut by the bound.
class TlsClient::Layer : public DcmTLSTransportLayer {
public:
    Layer(ConnectedSocket& socket, int waitSeconds)
        : DcmTLSTransportLayer(NET_REQUESTOR, nullptr, OFFalse), socket_(socket), waitSeconds_(waitSeconds) {}
    DcmTransportConnection* createConnection(DcmNativeSocketType openSocket, OFBool useSecureLayer) override {
        // After the connection is made: it sets DCMTK's process-wide bounds.
        // As DCMTK's own layer makes it, with the reads bounded.
        SSL* ssl = useSecureLayer ? SSL_new(getNativeHandle()) : nullptr;
        if (ssl == nullptr) return nullptr;
        SSL_set_fd(ssl, static_cast<int>(openSocket));
        auto* connection = new Budgeted<DcmTLSConnection>(socket_, openSocket, ssl);
        socket_.Take(openSocket, waitSeconds_);
        return connection;
    }

private:
    ConnectedSocket& socket_;
    int waitSeconds_;
};

TlsClient::TlsClient(const TlsSettings& settings, const std::string& host, const std::string& operation,
                     ConnectedSocket& socket, int waitSeconds) {
    const auto fail = [&](const std::string& what) {
        return DicomError(kErrTlsSettings, operation + " failed: TLS settings: " + what, Cause::TlsSettings,
                          what);
    };
    const auto check = [&](const std::string& path, const std::string& role) {
        const std::string problem = FileProblem(path);
        if (!problem.empty()) throw fail("the " + role + " file " + path + " cannot be used: " + problem);
    };
    if (settings.trustedCertificatesFile.empty()) {
        throw fail("no trusted certificates file, so the archive's certificate cannot be verified");
    }
    if (settings.certificateFile.empty() != settings.privateKeyFile.empty()) {
        throw fail(settings.certificateFile.empty()
                       ? "a private key file but no certificate file is set; both or neither are needed"
                       : "a certificate file but no private key file is set; both or neither are needed");
    }
    check(settings.trustedCertificatesFile, "trusted certificates");
    clientCertificate_ = !settings.certificateFile.empty();
    if (clientCertificate_) {
        check(settings.certificateFile, "certificate");
        check(settings.privateKeyFile, "private key");
    }

    InitializeOpenSsl();
    layer_ = std::make_unique<Layer>(socket, waitSeconds);
    SSL_CTX* ctx = layer_->getNativeHandle();
    if (!*layer_ || ctx == nullptr) throw fail("the TLS layer cannot be created");
    ERR_clear_error();

    if (layer_->addTrustedCertificateFile(settings.trustedCertificatesFile.c_str(), DCF_Filetype_PEM).bad()) {
        throw fail("the trusted certificates file " + settings.trustedCertificatesFile +
                   " holds no readable PEM certificate");
    }
    if (clientCertificate_) {
        SSL_CTX_set_default_passwd_cb(ctx, NoPassword);
        if (layer_->setPrivateKeyFile(settings.privateKeyFile.c_str(), DCF_Filetype_PEM).bad()) {
            throw fail("the private key file " + settings.privateKeyFile +
                       " holds no readable PEM private key (keys protected by a password are not supported)");
        }
#if PACKAGE_VERSION_NUMBER >= 368
        const OFCondition loaded = layer_->setCertificateFile(settings.certificateFile.c_str(),
                                                              DCF_Filetype_PEM, TSP_Profile_BCP195_ND);
#else
        const OFCondition loaded =
            layer_->setCertificateFile(settings.certificateFile.c_str(), DCF_Filetype_PEM);
#endif
        if (loaded.bad()) {
            throw fail("the certificate file " + settings.certificateFile +
                       " holds no readable PEM certificate");
        }
        if (!layer_->checkPrivateKeyMatchesCertificate()) {
            throw fail("the private key " + settings.privateKeyFile + " does not belong to the certificate " +
                       settings.certificateFile);
        }
    }
    // The non-downgrading profile (PS3.15 B.10): TLS 1.2 or later only. The
    // plain BCP 195 profile would fall back as far as TLS 1.0 with the
    // retired profiles' cipher suites for an archive that offers no better.
    if (layer_->setTLSProfile(TSP_Profile_BCP195_ND).bad() || layer_->activateCipherSuites().bad()) {
        throw fail("the BCP 195 TLS profile is not available");
    }
    layer_->setCertificateVerification(DCV_requireCertificate);
    // The same mode as DCV_requireCertificate, with a callback that keeps the
    // reason of a failed verification.
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, VerifyCallback);
    SSL_CTX_set_ex_data(ctx, VerifyFailureSlot(), &verifyFailure_);
    // The certificate must name the archive as the settings address it
    // (RFC 6125): a certificate the trusted CA issued to another host, a
    // workstation for instance, does not do.
    X509_VERIFY_PARAM* param = SSL_CTX_get0_param(ctx);
    if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) != 1) {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
    }
    ERR_clear_error();
}

TlsClient::~TlsClient() = default;

DcmTransportLayer* TlsClient::layer() const {
    return layer_.get();
}

void TlsClient::BeginHandshake() {
    handshakeStarted_ = std::chrono::steady_clock::now();
    verifyFailure_.clear();
    ERR_clear_error();
}

std::optional<DicomError> TlsClient::Failure(const std::string& archive, const std::string& operation,
                                             const OFCondition& cond, int waitSeconds) {
    const std::vector<unsigned long> errors = TakeOpenSslErrors();
    const auto error = [&](const std::string& what) {
        return DicomError(kErrTlsHandshake, NetworkWords(NetworkFailure::TlsRefused, archive, what),
                          Cause::TlsHandshake, what);
    };
    const auto noAnswer = [&] {
        const std::string wait = "no answer within " + std::to_string(waitSeconds) + " s";
        return DicomError(kErrTimeout,
                          NetworkWords(NetworkFailure::NoAnswer, "", operation + ": TLS handshake: " + wait),
                          Cause::NoTlsAnswer, wait);
    };
    if (cond == DCMTLS_EC_TLSReadOperationDidNotComplete ||
        cond == DCMTLS_EC_TLSWriteOperationDidNotComplete) {
        return noAnswer();
    }
    if (!verifyFailure_.empty()) {
        return error("the archive's certificate was not accepted: " + verifyFailure_);
    }
    const std::string conditionText = cond.text() ? cond.text() : "";
    if (Has(errors, conditionText,
            {SSL_R_WRONG_VERSION_NUMBER, SSL_R_PACKET_LENGTH_TOO_LONG, SSL_R_RECORD_LENGTH_MISMATCH})) {
        return error("the archive does not answer in TLS on this port");
    }
    if (!clientCertificate_ &&
        Has(errors, conditionText,
            {SSL_R_TLSV13_ALERT_CERTIFICATE_REQUIRED, SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE,
             SSL_R_PEER_DID_NOT_RETURN_A_CERTIFICATE})) {
        return error("the archive requires a client certificate, and none is set");
    }
    if (clientCertificate_ &&
        Has(errors, conditionText,
            {SSL_R_TLSV1_ALERT_UNKNOWN_CA, SSL_R_SSLV3_ALERT_BAD_CERTIFICATE,
             SSL_R_SSLV3_ALERT_CERTIFICATE_UNKNOWN, SSL_R_SSLV3_ALERT_UNSUPPORTED_CERTIFICATE,
             SSL_R_SSLV3_ALERT_CERTIFICATE_EXPIRED, SSL_R_TLSV1_ALERT_DECRYPT_ERROR,
             SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE})) {
        return error("the archive did not accept our certificate");
    }
    if (cond.module() == OFM_dcmtls) {
        std::string detail = cond.text() ? cond.text() : "";
        // The connection ended without a TLS alert: a plain DICOM peer drops
        // a connection that starts with a TLS ClientHello (on Windows OpenSSL
        // reads that end as an unexpected EOF).
        const bool ended = detail.find("SSL_ERROR_SYSCALL") != std::string::npos ||
                           Has(errors, conditionText, {SSL_R_UNEXPECTED_EOF_WHILE_READING});
        // A read that ran out of time may end as a failed system call
        // (Windows' socket time-out does): a handshake that took the whole
        // wait had no answer.
        const bool waitedOut = waitSeconds > 0 && std::chrono::steady_clock::now() - handshakeStarted_ >=
                                                      std::chrono::seconds(waitSeconds);
        if (ended && waitedOut) return noAnswer();
        if (ended) {
            return error(
                "the archive closed the connection during the handshake; it may not speak TLS on "
                "this port");
        }
        if (detail.rfind("TLS error: ", 0) == 0) detail.erase(0, 11);
        // DCMTK has taken OpenSSL's reason into its condition already.
        if (detail.find("protocol version") != std::string::npos ||
            detail.find("unsupported protocol") != std::string::npos) {
            return error("the archive offers no TLS version from 1.2 on (" + detail + ")");
        }
        return error(detail.empty() ? "unknown reason" : detail);
    }
    // TLS 1.3: the archive checks our certificate after our side of the
    // handshake is done, and may drop the connection before its alert is
    // read. An archive that accepted the TLS connection answers the
    // association request; a connection closed without an answer is most
    // likely the refusal.
    if (cond == DUL_NETWORKCLOSED || cond == DUL_PEERABORTEDASSOCIATION ||
        (cond.module() == OFM_dcmnet && cond.code() == DULC_TCPIOERROR)) {
        const std::string closed = "the archive closed the connection after the handshake; it probably ";
        return error(clientCertificate_ ? closed + "did not accept our certificate"
                                        : closed + "requires a client certificate, and none is set");
    }
    if (!errors.empty()) {
        char text[256] = {};
        ERR_error_string_n(errors.back(), text, sizeof text);
        return error(text);
    }
    return std::nullopt;
}

}  // namespace pelko::dicom::dcmtk
