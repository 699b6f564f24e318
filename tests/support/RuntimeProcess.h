#pragma once
// The controller's runtime program (stand-in) as a child process for tests:
// a loopback port held for it, start with a configuration file, bounded waits, and a
// stop by SIGTERM that the destructor makes sure of.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace zo::test {

// The runtime program as built into the program folder.
inline const std::string kRuntimeProgram = ZO_PROGRAM_DIR "/Runtime/VT_win/VT_win";

// A TCP socket bound to 127.0.0.1:port (0: a free port) with SO_REUSEADDR,
// listening when asked; -1 when it cannot be had.
inline int BoundLoopbackSocket(uint16_t port, bool listening) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = htons(port);
    int one = 1;
    if (fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) == 0 &&
        ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && (!listening || ::listen(fd, 1) == 0))
        return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// A loopback port held for the owner's lifetime. The socket is bound, not
// listening, with SO_REUSEADDR: the runtime program (which binds with
// SO_REUSEADDR as well) can listen on the port, while no other socket gets
// the number in the meantime (a bind to port 0 and the ports of outgoing
// connections pass over a bound port), and until the runtime listens a
// connection to it is refused. Tests that run in parallel so never share one.
class LoopbackPort {
public:
    LoopbackPort() : fd_(BoundLoopbackSocket(0, false)) {
        sockaddr_in at{};
        socklen_t length = sizeof at;
        if (fd_ >= 0 && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &length) == 0)
            number_ = ntohs(at.sin_port);
    }
    ~LoopbackPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    // The port's number; 0 when none could be had.
    uint16_t number() const { return number_; }

private:
    int fd_ = -1;
    uint16_t number_ = 0;
};

// Something else listening at 127.0.0.1:port for the owner's lifetime (a held
// port can be listened on so): the address a runtime would serve is taken.
class LoopbackListener {
public:
    explicit LoopbackListener(uint16_t port) : fd_(BoundLoopbackSocket(port, true)) {}
    ~LoopbackListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;
    bool listening() const { return fd_ >= 0; }

private:
    int fd_;
};

// True once something accepts connections at 127.0.0.1:port (bounded).
inline bool WaitForListener(uint16_t port, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        at.sin_port = htons(port);
        const bool up = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
        if (fd >= 0) ::close(fd);
        if (up) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class RuntimeProcess {
public:
    RuntimeProcess() = default;
    ~RuntimeProcess() { Stop(); }
    RuntimeProcess(const RuntimeProcess&) = delete;
    RuntimeProcess& operator=(const RuntimeProcess&) = delete;

    // Starts the program with the configuration file; false when it did not start.
    bool Start(const std::string& cfgPath, const std::string& program = kRuntimeProgram) {
        process_.setProgram(QString::fromStdString(program));
        process_.setArguments(QStringList{QString::fromStdString(cfgPath)});
        process_.start();
        return process_.waitForStarted(5000);
    }

    // Waits (bounded) for the program to end by itself; its exit code, or -1 when it still runs.
    int WaitForExit(int ms = 5000) {
        if (!process_.waitForFinished(ms)) return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -2;
    }

    // SIGTERM, then a bounded wait (SIGKILL after it); the exit code, or -1 when killed.
    int Stop() {
        if (process_.state() == QProcess::NotRunning) return process_.exitCode();
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
            return -1;
        }
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    std::string Output() { return process_.readAllStandardOutput().toStdString(); }
    std::string Errors() { return process_.readAllStandardError().toStdString(); }

private:
    QProcess process_;
};

}  // namespace zo::test
