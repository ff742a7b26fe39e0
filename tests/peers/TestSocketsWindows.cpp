#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "peers/TestSockets.h"

namespace pelko::test {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

SOCKET S(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

SocketHandle NewTcpSocket() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) ::closesocket(S(socket));
}

bool BindLoopback(SocketHandle socket, int port, int backlog) {
    sockaddr_in addr = Loopback(port);
    return ::bind(S(socket), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
           (backlog <= 0 || ::listen(S(socket), backlog) == 0);
}

int LocalPort(SocketHandle socket) {
    sockaddr_in addr{};
    int len = sizeof addr;
    ::getsockname(S(socket), reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

bool ConnectLoopback(SocketHandle socket, int port) {
    sockaddr_in addr = Loopback(port);
    return ::connect(S(socket), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

void SetTimeouts(SocketHandle socket, int seconds) {
    const DWORD ms = static_cast<DWORD>(seconds) * 1000;
    ::setsockopt(S(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
    ::setsockopt(S(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

long SendSome(SocketHandle socket, const char* data, std::size_t size) {
    return ::send(S(socket), data, static_cast<int>(size), 0);
}

long ReceiveSome(SocketHandle socket, char* data, std::size_t size) {
    return ::recv(S(socket), data, static_cast<int>(size), 0);
}

bool PeerHungUp(SocketHandle socket, int ms) {
    WSAPOLLFD watch{S(socket), POLLRDNORM, 0};
    if (::WSAPoll(&watch, 1, ms) <= 0) return false;
    if ((watch.revents & (POLLHUP | POLLERR)) != 0) return true;
    // Readable: the end of the stream, or bytes sent before it (an A-ABORT),
    // which go unread, as this peer reads nothing.
    char bytes[512];
    return ::recv(S(socket), bytes, sizeof bytes, 0) <= 0;
}

const bool kRefusedConnectIsTimeOut = true;

}  // namespace pelko::test
