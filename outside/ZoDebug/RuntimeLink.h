#pragma once
// One TCP connection to the controller's runtime program, speaking the protocol
// of common/abi/RuntimeProtocol.h. Every operation is bounded in time and gives
// up early when the stop flag is raised, so a caller never waits long.

#include "common/abi/RuntimeProtocol.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zo::debug {

class RuntimeLink {
public:
    RuntimeLink(const std::atomic<bool>& stop, std::chrono::milliseconds timeout);
    ~RuntimeLink();
    RuntimeLink(const RuntimeLink&) = delete;
    RuntimeLink& operator=(const RuntimeLink&) = delete;

    // IPv4 address in dotted form and port; false when no connection was made.
    bool Connect(const std::string& address, uint16_t port);
    void Close();
    bool Connected() const { return fd_ >= 0; }

    // Each answers false on a failed exchange (the connection is then closed)
    // and leaves *result at the runtime's Result.
    bool Info(uint32_t& nets);
    bool Read(uint16_t first, uint16_t count, std::vector<uint32_t>& values, int8_t& result);
    bool Write(uint16_t index, uint32_t value, int8_t& result);

private:
    bool exchange(const TRuntimeRequest& request, TRuntimeReply& reply);
    bool sendAll(const void* data, size_t size);
    bool receiveAll(void* data, size_t size);
    bool waitFor(short events);

    const std::atomic<bool>& stop_;
    std::chrono::milliseconds timeout_;
    int fd_ = -1;
};

}  // namespace zo::debug
