// Plain words for what the archive refused: the final status of a C-FIND,
// C-MOVE or C-STORE that is no success, failed sub-operations of a move, a
// refused association, a silent archive and a refused TLS handshake. One
// sentence each, saying what happened and what to do, with the code after
// it. The message box and the log line show the same text.
#pragma once

#include <cstdint>
#include <string>

#include "dicom/Toolkit.h"

namespace pelko::dicom {

enum class Operation { Find, Move, Store, Echo };

// "0xA801"
std::string StatusHex(std::uint16_t status);

// The words for the final `status` of `operation` (no success, no pending).
// `destination` is the move's destination AE title, `counts` its
// sub-operation counts; both are unused by the other operations.
std::string StatusWords(Operation operation, std::uint16_t status, const std::string& destination = {},
                        const MoveCounts& counts = {});

// A move that ended in success but with failed or warning sub-operations:
// "k of n images could not be sent to DEST1; ...".
std::string SubOperationWords(const std::string& destination, const MoveCounts& counts);

// The archive broke off the C-STORE of a forward request (A-ABORT or a
// closed connection instead of a response). An archive that takes stores
// only from AE titles it knows does so (Orthanc without
// DicomAlwaysAllowStore); `detail` is the technical cause.
std::string StoreAbortedWords(const std::string& archive, const std::string& callingAet,
                              const std::string& detail);

enum class NetworkFailure {
    Rejected,    // the archive rejected the association
    NoAnswer,    // the archive accepted the connection and went silent
    TlsRefused,  // the TLS handshake failed
};

// `archive` names the archive ("ORTHANC (127.0.0.1:4242)"; NoAnswer may
// leave it empty when `detail` names it); `detail` is the
// technical cause, shown in parentheses at the end (the reject reason, "no
// answer within 30 s", OpenSSL's reason).
std::string NetworkWords(NetworkFailure failure, const std::string& archive, const std::string& detail);

}  // namespace pelko::dicom
