#include "peers/Ports.h"

#include <stdexcept>
#include <thread>

#include "peers/TestSockets.h"

namespace pelko::test {

int FreePort() {
    const SocketHandle s = NewTcpSocket();
    if (s == kNoSocket) throw std::runtime_error("FreePort: socket() failed");
    if (!BindLoopback(s, 0, 0)) {
        CloseSocket(s);
        throw std::runtime_error("FreePort: bind() failed");
    }
    const int port = LocalPort(s);
    CloseSocket(s);
    return port;
}

bool WaitForPort(int port, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const SocketHandle s = NewTcpSocket();
        const bool connected = ConnectLoopback(s, port);
        CloseSocket(s);
        if (connected) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

SilentListener::SilentListener() {
    fd_ = NewTcpSocket();
    if (fd_ == kNoSocket || !BindLoopback(fd_, 0, 4)) {
        CloseSocket(fd_);
        throw std::runtime_error("SilentListener: cannot listen");
    }
    port_ = LocalPort(fd_);
}

SilentListener::~SilentListener() {
    CloseSocket(fd_);
}

}  // namespace pelko::test
