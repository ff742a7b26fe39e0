// Everything an association towards a peer is made with: who the peer is,
// who we are, how long each wait may last, and whether it goes over TLS. Every operation of the
// toolkit (C-FIND, C-MOVE, C-STORE, C-ECHO) takes it whole when its association is
// made, so a setting added here reaches all of them.
#pragma once

#include <cstdint>
#include <string>

#include "dicom/Tls.h"

namespace pelko::dicom {

// Bounded waits of every network operation, in seconds.
inline constexpr int kConnectTimeoutSeconds = 10;
inline constexpr int kAssociationTimeoutSeconds = 30;
inline constexpr int kFindResponseTimeoutSeconds = 60;
inline constexpr int kMoveResponseTimeoutSeconds = 600;  // inactivity between responses
// How long the archive has, after a C-CANCEL, to send its final response
// before the association is aborted.
inline constexpr int kFindCancelGraceSeconds = 1;
inline constexpr int kMoveCancelGraceSeconds = 10;
inline constexpr int kSearchTimeoutSeconds = 120;  // a whole C-FIND, however the archive answers

struct Timeouts {
    int connectSeconds = kConnectTimeoutSeconds;
    int associationSeconds = kAssociationTimeoutSeconds;
    int findResponseSeconds = kFindResponseTimeoutSeconds;
    int moveResponseSeconds = kMoveResponseTimeoutSeconds;
    int findCancelGraceSeconds = kFindCancelGraceSeconds;
    int moveCancelGraceSeconds = kMoveCancelGraceSeconds;
    int searchSeconds = kSearchTimeoutSeconds;
    bool operator==(const Timeouts&) const = default;
};

struct AssociationParameters {
    std::string host;
    std::int32_t port = 0;
    std::string calledAET;   // the peer's AE title
    std::string callingAET;  // ours
    Timeouts timeouts;
    TlsSettings tls;  // off by default: a plain association
    bool operator==(const AssociationParameters&) const = default;
};

}  // namespace pelko::dicom
