#include "RuntimeLink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zo::debug {

namespace {

// Waits are cut into slices so that a raised stop flag is seen quickly.
constexpr int kSliceMs = 50;

}  // namespace

RuntimeLink::RuntimeLink(const std::atomic<bool>& stop, std::chrono::milliseconds timeout)
    : stop_(stop), timeout_(timeout) {}

RuntimeLink::~RuntimeLink() { Close(); }

void RuntimeLink::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool RuntimeLink::waitFor(short events) {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (!stop_.load()) {
        pollfd p{fd_, events, 0};
        const int n = ::poll(&p, 1, kSliceMs);
        if (n > 0) return true;  // ready, or an error the next call reports
        if (n < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
    return false;
}

bool RuntimeLink::Connect(const std::string& address, uint16_t port) {
    Close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (port == 0 || ::inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) return false;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return false;
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        if (errno != EINPROGRESS || !waitFor(POLLOUT)) {
            Close();
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            Close();
            return false;
        }
    }
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return true;
}

bool RuntimeLink::sendAll(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        if (!waitFor(POLLOUT)) return false;
        const ssize_t n = ::send(fd_, p, size, MSG_NOSIGNAL);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool RuntimeLink::receiveAll(void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        if (!waitFor(POLLIN)) return false;
        const ssize_t n = ::recv(fd_, p, size, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;  // closed by the runtime or failed
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool RuntimeLink::exchange(const TRuntimeRequest& request, TRuntimeReply& reply) {
    if (fd_ < 0) return false;
    if (!sendAll(&request, sizeof request) || !receiveAll(&reply, sizeof reply) ||
        reply.Command != request.Command) {
        Close();
        return false;
    }
    return true;
}

bool RuntimeLink::Info(uint32_t& nets) {
    TRuntimeRequest request{kRuntimeInfo, 0, 0, 0};
    TRuntimeReply reply{};
    if (!exchange(request, reply) || reply.Result != kRuntimeOk) return false;
    nets = reply.Value;
    return true;
}

bool RuntimeLink::Read(uint16_t first, uint16_t count, std::vector<uint32_t>& values, int8_t& result) {
    TRuntimeRequest request{kRuntimeRead, first, count, 0};
    TRuntimeReply reply{};
    if (!exchange(request, reply)) return false;
    result = reply.Result;
    if (reply.Result != kRuntimeOk) return true;
    if (reply.Count != count) {
        Close();
        return false;
    }
    values.resize(count);
    if (!receiveAll(values.data(), size_t(count) * sizeof(uint32_t))) {
        Close();
        return false;
    }
    return true;
}

bool RuntimeLink::Write(uint16_t index, uint32_t value, int8_t& result) {
    TRuntimeRequest request{kRuntimeWrite, index, 0, value};
    TRuntimeReply reply{};
    if (!exchange(request, reply)) return false;
    result = reply.Result;
    return true;
}

}  // namespace zo::debug
