#include "peers/HttpClient.h"

#include <cstdlib>

#include "peers/TestSockets.h"

namespace pelko::test {

HttpResponse HttpRequest(int port, const std::string& method, const std::string& path,
                         const std::string& body) {
    HttpResponse response;
    const SocketHandle fd = NewTcpSocket();
    if (fd == kNoSocket) return response;
    SetTimeouts(fd, 10);
    if (!ConnectLoopback(fd, port)) {
        CloseSocket(fd);
        return response;
    }
    std::string request = method + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST" || method == "PUT") {
        request +=
            "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    }
    request += "\r\n" + body;
    for (std::size_t sent = 0; sent < request.size();) {
        const long n = SendSome(fd, request.data() + sent, request.size() - sent);
        if (n <= 0) {
            CloseSocket(fd);
            return response;
        }
        sent += static_cast<std::size_t>(n);
    }
    std::string raw;
    char buf[8192];
    for (;;) {
        const long n = ReceiveSome(fd, buf, sizeof buf);
        if (n <= 0) break;
        raw.append(buf, static_cast<std::size_t>(n));
    }
    CloseSocket(fd);
    // "HTTP/1.x 200 OK\r\n...headers...\r\n\r\nbody"
    const auto space = raw.find(' ');
    const auto headerEnd = raw.find("\r\n\r\n");
    if (raw.compare(0, 5, "HTTP/") != 0 || space == std::string::npos || headerEnd == std::string::npos) {
        return response;
    }
    response.status = std::atoi(raw.c_str() + space + 1);
    response.body = raw.substr(headerEnd + 4);
    return response;
}

}  // namespace pelko::test
