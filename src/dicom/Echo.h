// The answer of a C-ECHO (Verification, PS3.4 A.4): how long the archive
// took.
#pragma once

#include <chrono>

namespace pelko::dicom {

struct EchoResult {
    // From the C-ECHO request to its response.
    std::chrono::microseconds roundTrip{};
    // Everything: connection, TLS handshake, association, C-ECHO, release.
    std::chrono::microseconds total{};
};

}  // namespace pelko::dicom
