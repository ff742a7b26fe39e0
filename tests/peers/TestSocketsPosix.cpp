#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "peers/TestSockets.h"

namespace pelko::test {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

int Fd(SocketHandle socket) {
    return static_cast<int>(socket);
}

}  // namespace

SocketHandle NewTcpSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    return fd < 0 ? kNoSocket : fd;
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) ::close(Fd(socket));
}

bool BindLoopback(SocketHandle socket, int port, int backlog) {
    sockaddr_in addr = Loopback(port);
    return ::bind(Fd(socket), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
           (backlog <= 0 || ::listen(Fd(socket), backlog) == 0);
}

int LocalPort(SocketHandle socket) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

bool ConnectLoopback(SocketHandle socket, int port) {
    sockaddr_in addr = Loopback(port);
    return ::connect(Fd(socket), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

void SetTimeouts(SocketHandle socket, int seconds) {
    timeval tv{seconds, 0};
    ::setsockopt(Fd(socket), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(Fd(socket), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

long SendSome(SocketHandle socket, const char* data, std::size_t size) {
    return ::send(Fd(socket), data, size, MSG_NOSIGNAL);
}

long ReceiveSome(SocketHandle socket, char* data, std::size_t size) {
    return ::recv(Fd(socket), data, size, 0);
}

bool PeerHungUp(SocketHandle socket, int ms) {
    pollfd watch{Fd(socket), POLLRDHUP, 0};
    return ::poll(&watch, 1, ms) > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

const bool kRefusedConnectIsTimeOut = false;

}  // namespace pelko::test
