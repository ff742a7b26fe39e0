// The few socket calls the adapter makes itself, beside DCMTK's own: one
// file per platform (SocketsPosix.cpp, SocketsWindows.cpp).
#pragma once

#include <chrono>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dntypes.h"

namespace pelko::dicom::dcmtk {

// No socket: -1 on POSIX, INVALID_SOCKET (all bits set) on Windows.
inline const DcmNativeSocketType kNoSocket = static_cast<DcmNativeSocketType>(-1);

// Once per process, before the first association: a write to a connection
// the peer has closed gives an error rather than ending the program, the
// socket library is started, and DCMTK's own sockets go without Nagle's
// algorithm (TCP_NODELAY=1, unless the user's environment says otherwise).
void PrepareProcessSockets();

// Switches Nagle's algorithm off on `socket` (each PDU goes out as two
// writes, header and PDV, and the second would wait for the peer's delayed
// ACK) and, when `waitSeconds` > 0, bounds each blocking read and write.
void TuneSocket(DcmNativeSocketType socket, int waitSeconds);

// True when `socket` has bytes to read (or the peer closed it) within `wait`.
bool WaitReadable(DcmNativeSocketType socket, std::chrono::milliseconds wait);

// True when the last failed socket call of this thread ran out of its
// bound (SO_RCVTIMEO, SO_SNDTIMEO).
bool LastSocketCallTimedOut();

// Shuts the reading side of `socket`: a blocked or later read ends at once.
void ShutDownReading(DcmNativeSocketType socket);

}  // namespace pelko::dicom::dcmtk
