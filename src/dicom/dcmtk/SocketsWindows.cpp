#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <mutex>

#include "dicom/dcmtk/Sockets.h"

namespace pelko::dicom::dcmtk {

void PrepareProcessSockets() {
    // Winsock stays started for the life of the process (DCMTK starts and
    // stops it again with each network; this keeps the count above zero).
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
    // Writes to a closed connection fail with WSAECONNRESET: no signal here.
    size_t length = 0;
    if (::getenv_s(&length, nullptr, 0, "TCP_NODELAY") != 0 || length == 0) ::_putenv_s("TCP_NODELAY", "1");
}

void TuneSocket(DcmNativeSocketType socket, int waitSeconds) {
    const BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    if (waitSeconds > 0) {
        const DWORD bound = static_cast<DWORD>(waitSeconds) * 1000;
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound), sizeof bound);
        ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&bound), sizeof bound);
    }
}

bool WaitReadable(DcmNativeSocketType socket, std::chrono::milliseconds wait) {
    WSAPOLLFD watch{socket, POLLRDNORM, 0};
    return ::WSAPoll(&watch, 1, static_cast<INT>(wait.count())) > 0;
}

bool LastSocketCallTimedOut() {
    return ::WSAGetLastError() == WSAETIMEDOUT;
}

void ShutDownReading(DcmNativeSocketType socket) {
    ::shutdown(socket, SD_RECEIVE);
}

}  // namespace pelko::dicom::dcmtk
