#pragma once
// The runtime's service: one value per net, served over TCP to any number of
// clients with the protocol of common/abi/RuntimeProtocol.h.

#include "common/abi/RuntimeProtocol.h"

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

namespace zo::runtime {

class RuntimeServer {
public:
    explicit RuntimeServer(uint32_t nets);
    ~RuntimeServer();
    RuntimeServer(const RuntimeServer&) = delete;
    RuntimeServer& operator=(const RuntimeServer&) = delete;

    // Binds and listens on an IPv4 address; false with the reason.
    bool Listen(const std::string& address, uint16_t port, std::string& error);
    // Serves until stop becomes non-zero (checked several times a second).
    void Run(const volatile std::sig_atomic_t& stop);

    // The reply bytes to one request.
    std::string Answer(const TRuntimeRequest& request);

private:
    struct Client {
        int fd;
        std::string in;
        std::string out;
    };
    void accept();
    bool serve(Client& client, short events);

    std::vector<uint32_t> values_;
    std::vector<Client> clients_;
    int listenFd_ = -1;
};

}  // namespace zo::runtime
