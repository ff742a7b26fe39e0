// The loopback TCP calls of the test peers and helpers: one file per
// platform (TestSocketsPosix.cpp, TestSocketsWindows.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelko::test {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// A new TCP socket (the socket library started), or kNoSocket.
SocketHandle NewTcpSocket();
void CloseSocket(SocketHandle socket);
// Binds to 127.0.0.1:`port` (0: any free port) and listens when backlog > 0.
bool BindLoopback(SocketHandle socket, int port, int backlog);
int LocalPort(SocketHandle socket);
bool ConnectLoopback(SocketHandle socket, int port);
// Bounds each blocking send and receive.
void SetTimeouts(SocketHandle socket, int seconds);
// Bytes sent or received, <= 0 on failure or end; a closed peer gives an
// error, not a signal.
long SendSome(SocketHandle socket, const char* data, std::size_t size);
long ReceiveSome(SocketHandle socket, char* data, std::size_t size);
// True when the peer closed the connection (or it failed) within `ms`.
bool PeerHungUp(SocketHandle socket, int ms);

// DCMTK on Windows waits for its non-blocking connect to become writable,
// and a refused connect never does: a closed port shows there as no
// connection after the connect time-out, not as a refusal.
extern const bool kRefusedConnectIsTimeOut;

}  // namespace pelko::test
