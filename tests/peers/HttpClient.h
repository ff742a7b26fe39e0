// A tiny HTTP/1.0 client for the REST interface of Orthanc on loopback.
#pragma once

#include <string>

namespace pelko::test {

struct HttpResponse {
    int status = 0;  // 0: no connection or no valid answer
    std::string body;
};

HttpResponse HttpRequest(int port, const std::string& method, const std::string& path,
                         const std::string& body = "");

}  // namespace pelko::test
