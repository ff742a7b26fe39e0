#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "dicom/dcmtk/Sockets.h"

namespace pelko::dicom::dcmtk {

void PrepareProcessSockets() {
    // DCMTK writes to its sockets with write(): a peer that has closed the
    // connection would end the program with SIGPIPE instead of an error.
    std::signal(SIGPIPE, SIG_IGN);
    ::setenv("TCP_NODELAY", "1", 0 /* keep a value set by the user */);
}

void TuneSocket(DcmNativeSocketType socket, int waitSeconds) {
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (waitSeconds > 0) {
        timeval bound{waitSeconds, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    }
}

bool WaitReadable(DcmNativeSocketType socket, std::chrono::milliseconds wait) {
    pollfd watch{socket, POLLIN, 0};
    return ::poll(&watch, 1, static_cast<int>(wait.count())) > 0;
}

bool LastSocketCallTimedOut() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

void ShutDownReading(DcmNativeSocketType socket) {
    ::shutdown(socket, SHUT_RD);
}

}  // namespace pelko::dicom::dcmtk
