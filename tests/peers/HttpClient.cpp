#include "peers/HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace pelko::test {

HttpResponse HttpRequest(int port, const std::string& method, const std::string& path,
                         const std::string& body) {
    HttpResponse response;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return response;
    timeval tv{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return response;
    }
    std::string request = method + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST" || method == "PUT") {
        request +=
            "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    }
    request += "\r\n" + body;
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            ::close(fd);
            return response;
        }
        sent += static_cast<std::size_t>(n);
    }
    std::string raw;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        raw.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
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
