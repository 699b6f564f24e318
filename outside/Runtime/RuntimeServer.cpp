#include "RuntimeServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zo::runtime {

namespace {

constexpr int kSliceMs = 100;
constexpr size_t kMaxClients = 16;

}  // namespace

RuntimeServer::RuntimeServer(uint32_t nets) : values_(nets, 0) {}

RuntimeServer::~RuntimeServer() {
    for (Client& c : clients_) ::close(c.fd);
    if (listenFd_ >= 0) ::close(listenFd_);
}

bool RuntimeServer::Listen(const std::string& address, uint16_t port, std::string& error) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1) {
        error = "not an IPv4 address: \"" + address + "\"";
        return false;
    }
    if (port == 0) {
        error = "no port in the device header";
        return false;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int one = 1;
    if (listenFd_ < 0 || ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || ::listen(listenFd_, 8) != 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string RuntimeServer::Answer(const TRuntimeRequest& request) {
    TRuntimeReply reply{request.Command, kRuntimeOk, request.Index, 0, 0};
    std::string tail;
    switch (request.Command) {
        case kRuntimeInfo:
            reply.Value = uint32_t(values_.size());
            break;
        case kRuntimeRead:
            if (request.Count == 0 || request.Count > kRuntimeMaxRead ||
                size_t(request.Index) + request.Count > values_.size()) {
                reply.Result = kRuntimeBadIndex;
                break;
            }
            reply.Count = request.Count;
            tail.assign(reinterpret_cast<const char*>(values_.data() + request.Index),
                        size_t(request.Count) * sizeof(uint32_t));
            break;
        case kRuntimeWrite:
            if (request.Index >= values_.size()) {
                reply.Result = kRuntimeBadIndex;
                break;
            }
            values_[request.Index] = request.Value;
            reply.Value = request.Value;
            break;
        default:
            reply.Result = kRuntimeBadCommand;
    }
    return std::string(reinterpret_cast<const char*>(&reply), sizeof reply) + tail;
}

void RuntimeServer::accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    if (clients_.size() >= kMaxClients) {
        ::close(fd);
        return;
    }
    clients_.push_back(Client{fd, {}, {}});
}

// False when the client is gone.
bool RuntimeServer::serve(Client& c, short events) {
    if (events & POLLIN) {
        char buffer[512];
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return false;
        if (n > 0) c.in.append(buffer, size_t(n));
        while (c.in.size() >= sizeof(TRuntimeRequest)) {
            TRuntimeRequest request;
            std::memcpy(&request, c.in.data(), sizeof request);
            c.in.erase(0, sizeof request);
            c.out += Answer(request);
        }
    } else if (events & (POLLERR | POLLHUP | POLLNVAL)) {
        return false;
    }
    if (!c.out.empty()) {
        const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (n > 0) c.out.erase(0, size_t(n));
    }
    return true;
}

void RuntimeServer::Run(const volatile std::sig_atomic_t& stop) {
    std::vector<pollfd> fds;
    while (!stop) {
        fds.assign(1, pollfd{listenFd_, POLLIN, 0});
        for (const Client& c : clients_) fds.push_back(pollfd{c.fd, short(POLLIN | (c.out.empty() ? 0 : POLLOUT)), 0});
        const int n = ::poll(fds.data(), fds.size(), kSliceMs);
        if (n <= 0) continue;
        // Clients first: accepting may grow the list the descriptors refer to.
        for (size_t i = clients_.size(); i-- > 0;) {
            if (fds[i + 1].revents == 0) continue;
            if (!serve(clients_[i], fds[i + 1].revents)) {
                ::close(clients_[i].fd);
                clients_.erase(clients_.begin() + long(i));
            }
        }
        if (fds[0].revents & POLLIN) accept();
    }
}

}  // namespace zo::runtime
