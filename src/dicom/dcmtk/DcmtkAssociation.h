// One association towards a peer, made and driven by the adapter itself on
// DCMTK's ASC and DIMSE functions: its own network, parameters and
// association, the peer and the bounded waits from AssociationParameters,
// non-blocking DIMSE, and every failure as a DicomError. Private to the
// adapter; the services (find, move, store, echo) build on it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dimse.h"
#include "dicom/Toolkit.h"
#include "dicom/dcmtk/DcmtkErrors.h"
#include "dicom/dcmtk/Sockets.h"

class DcmTransportLayer;

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

class TlsClient;

inline constexpr const char* kStudyRootFind = "1.2.840.10008.5.1.4.1.2.2.1";
inline constexpr const char* kStudyRootMove = "1.2.840.10008.5.1.4.1.2.2.2";

// The socket of the connection, as the transport layer saw it made.
struct ConnectedSocket {
    DcmNativeSocketType fd = kNoSocket;
    // Records `fd`, switches Nagle's algorithm off on it (each PDU goes out
    // as two writes, header and PDV, and the second would wait for the
    // peer's delayed ACK) and, when `waitSeconds` > 0, bounds each blocking
    // read and write of it in place of DCMTK's process-wide bounds. Call
    // after DCMTK has made the connection on the socket.
    void Take(DcmNativeSocketType socket, int waitSeconds);
    // Set once the reading side is shut for an abort: a wait for data ends
    // at once (a shut socket wakes no wait on Windows).
    std::atomic<bool> readingShut{false};
};

// A response (or any message) as read: the command, its status detail and
// its data set, when it has them.
struct Message {
    T_DIMSE_Message command{};
    T_ASC_PresentationContextID context = 0;
    std::unique_ptr<DcmDataset> statusDetail;
    std::unique_ptr<DcmDataset> dataset;
};

class Association {
public:
    // `dimseTimeoutSeconds` bounds each wait for a response; it is one of
    // the time-outs of `params`. `log`, when given, receives a line for the
    // association's life (requested, accepted or rejected, released,
    // aborted).
    Association(const AssociationParameters& params, int dimseTimeoutSeconds, DicomLog* log = nullptr);
    ~Association();
    Association(const Association&) = delete;
    Association& operator=(const Association&) = delete;

    // Proposes `abstractSyntax` once per transfer syntax in `transferSyntaxes`
    // (one presentation context each, in this order of preference).
    void Propose(const std::string& abstractSyntax, const std::vector<std::string>& transferSyntaxes);

    // Opens the association, over TLS when the parameters say so. Throws
    // DicomError (refused, no connection, time-out, TLS settings or
    // handshake).
    void Open();
    bool isOpen() const { return open_; }

    // The accepted presentation context for `abstractSyntax`, the first in
    // the order proposed; throws DicomError naming `operation` when there is
    // none.
    T_ASC_PresentationContextID ContextFor(const std::string& abstractSyntax, const std::string& operation);

    DIC_US NextMessageId() { return nextMessageId_++; }
    // For DCMTK's DIMSE service calls; null when not open.
    T_ASC_Association* raw() const { return open_ ? assoc_ : nullptr; }

    // Sends a command, with `dataset` when given.
    OFCondition Send(T_ASC_PresentationContextID context, T_DIMSE_Message& command, DcmDataset* dataset);
    OFCondition SendCancel(T_ASC_PresentationContextID context, DIC_US messageId);
    // Whether a message has begun to arrive (or the peer closed), waiting
    // at most `wait`.
    bool DataWaiting(std::chrono::milliseconds wait);
    // Reads the next message, waiting up to `seconds` for each of its parts.
    OFCondition Receive(int seconds, Message& message);

    // Logs `error`, aborts the association and throws `error`.
    [[noreturn]] void Fail(const DicomError& error);
    // Logs "<operation>: <outcome>, <seconds since started> s".
    void LogOperation(const std::string& operation, const std::string& outcome,
                      std::chrono::steady_clock::time_point started) const;

    // Releases the association; aborts it when the release fails. Never throws.
    void Release() noexcept;
    // Aborts the association at once. Never throws.
    void Abort() noexcept;

    const Peer& peer() const { return peer_; }
    int dimseTimeoutSeconds() const { return dimseTimeoutSeconds_; }
    DicomLog* log() const { return log_; }
    // Writes `line` to the log, if any.
    void Log(const std::string& line) const;
    // "Association from PELKO to ORTHANC (127.0.0.1:4242)"
    std::string AssociationText() const;

private:
    struct Proposed {
        T_ASC_PresentationContextID id;
        std::string abstractSyntax;
        std::string transferSyntax;
    };

    void LogAccepted();
    std::string RejectReason();
    void Close() noexcept;

    AssociationParameters params_;
    Peer peer_;
    int dimseTimeoutSeconds_;
    DicomLog* log_;
    std::vector<Proposed> proposed_;
    ConnectedSocket socket_;
    std::unique_ptr<DcmTransportLayer> plainLayer_;
    std::unique_ptr<TlsClient> tls_;
    T_ASC_Network* network_ = nullptr;
    T_ASC_Parameters* parameters_ = nullptr;  // owned by assoc_ once requested
    T_ASC_Association* assoc_ = nullptr;
    bool open_ = false;
    DIC_US nextMessageId_ = 1;
};

// `d` in whole seconds, rounded up, at least 1: a wait for DIMSE.
int WholeSeconds(std::chrono::steady_clock::duration d);

// The attributes of an identifier as text for the log:
// "(0008,0052)=STUDY (0010,0010)=Doe*".
std::string IdentifierText(const Dataset& identifier);

// The sub-operation counts as text: "3 completed, 1 failed, 0 warning".
std::string CountsText(const MoveCounts& counts);

}  // namespace pelko::dicom::dcmtk
