// Loopback ports for the peers of the network tests.
#pragma once

#include <chrono>
#include <cstdint>

namespace pelko::test {

// A TCP port on 127.0.0.1 that was free a moment ago: bound to port 0,
// read back and closed.
int FreePort();

// Polls until something accepts connections on 127.0.0.1:`port`; false when
// `timeout` passes first.
bool WaitForPort(int port, std::chrono::milliseconds timeout);

// A TCP listener on 127.0.0.1 that never reads or writes: the kernel
// accepts connections, nothing ever answers.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }

private:
    std::intptr_t fd_ = -1;
    int port_ = 0;
};

}  // namespace pelko::test
