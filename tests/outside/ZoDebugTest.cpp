// The debugging library and the controller's runtime program together, as the
// kernel uses them: ZoDebug loaded from the program folder and filled through
// its record, the runtime started on a loopback port held for the test.
#include "common/abi/DebugOptions.h"
#include "common/abi/RuntimeProtocol.h"
#include "outside/Runtime/DeviceHeader.h"
#include "platform/DynLib.h"
#include "support/RuntimeProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using zo::test::RuntimeProcess;

constexpr auto kLimit = 5000ms;

// A configuration file of the full layout with nets nets and one FBD block.
std::string configBytes(const std::string& address, uint16_t port, int nets) {
    const auto& h = zo::runtime::kDeviceHeader;
    std::string bytes(h.size, '\0');
    std::memcpy(&bytes[h.ipOffset], address.data(), std::min(address.size(), h.ipSize - 1));
    std::memcpy(&bytes[h.portOffset], &port, 2);
    const uint16_t value = uint16_t(nets + 1);
    bytes += std::string("\x06\x00\x05", 3) + std::string(reinterpret_cast<const char*>(&value), 2) + std::string(1, '\0');
    bytes += std::string("\x08\x00\x01\xFF\xFF\x02\xAB\xCD", 8);  // one block of 2 bytes
    return bytes;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kLimit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return done();
}

// What the kernel hands the library: its lock, its repaint request, the
// host's repaint and the log; each call is counted.
struct Host {
    static inline std::recursive_mutex lock;
    static inline std::atomic<int> lockDepth{0};
    static inline std::atomic<int> repaintRequests{0};
    static inline std::atomic<int> repaintsUnlocked{0};
    static inline std::atomic<int> hostRepaints{0};
    static inline std::mutex logMutex;
    static inline std::vector<std::string> log;

    static void Lock() {
        lock.lock();
        ++lockDepth;
    }
    static void Unlock() {
        --lockDepth;
        lock.unlock();
    }
    static void RequestRepaint() {
        if (lockDepth.load() == 0) ++repaintsUnlocked;
        ++repaintRequests;
    }
    static void HostRepaint() { ++hostRepaints; }
    static void Log(const char* text, uint8_t) {
        std::lock_guard<std::mutex> guard(logMutex);
        log.push_back(zo::test::utf(text ? text : ""));
    }
    static void Reset() {
        repaintRequests = 0;
        repaintsUnlocked = 0;
        hostRepaints = 0;
        std::lock_guard<std::mutex> guard(logMutex);
        log.clear();
    }
};

class ZoDebugTest : public ::testing::Test {
protected:
    void SetUp() override {
        Host::Reset();
        library_ = zo::platform::loadLibrary(ZO_PROGRAM_DIR "/System/ZoDebug.so");
        ASSERT_NE(library_, nullptr) << zo::platform::lastLibraryError();
        auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(zo::platform::findSymbol(library_, "GetInfo"));
        ASSERT_NE(getInfo, nullptr);
        void* r = nullptr;
        int32_t size = 0;
        getInfo(&r, &size);
        ASSERT_EQ(size, int32_t(sizeof(TDebugOptions)));
        record_ = static_cast<TDebugOptions*>(r);
        record_->Lock = Host::Lock;
        record_->Unlock = Host::Unlock;
        record_->RequestRepaint = Host::RequestRepaint;
        record_->HostCallback = Host::HostRepaint;
        record_->Log = Host::Log;
    }

    void TearDown() override {
        if (record_) record_->Stop();
        zo::platform::unloadLibrary(library_);
    }

    void target(const std::string& address, uint16_t port) {
        std::memset(record_->IpAddress, 0, sizeof record_->IpAddress);
        std::strncpy(record_->IpAddress, address.c_str(), sizeof record_->IpAddress - 1);
        record_->Port = port;
    }

    // Starts the runtime on the test's port with a configuration of nets nets.
    void startRuntime(int nets) {
        ASSERT_NE(port_, 0);
        zo::test::writeBytes(dir_.file("project.cfg"), configBytes("127.0.0.1", port_, nets));
        ASSERT_TRUE(runtime_.Start(dir_.file("project.cfg")));
        ASSERT_TRUE(zo::test::WaitForListener(port_)) << runtime_.Errors();
    }

    TDebugValue value(uint16_t index, int32_t* result = nullptr) {
        TDebugValue v{};
        std::lock_guard<std::recursive_mutex> guard(Host::lock);
        const int32_t rc = record_->GetValue(&v, index);
        if (result) *result = rc;
        return v;
    }

    static int32_t asInt(const TDebugValue& v) {
        int32_t x = 0;
        std::memcpy(&x, v.Value, 4);
        return x;
    }

    bool logHas(const std::string& prefix) {
        std::lock_guard<std::mutex> guard(Host::logMutex);
        for (const std::string& line : Host::log)
            if (line.rfind(prefix, 0) == 0) return true;
        return false;
    }

    zo::test::TempDir dir_;
    // The test's loopback port, held until the runtime is stopped.
    zo::test::LoopbackPort held_;
    const uint16_t port_ = held_.number();
    RuntimeProcess runtime_;
    void* library_ = nullptr;
    TDebugOptions* record_ = nullptr;
};

TEST_F(ZoDebugTest, RecordHasItsEntriesAndSize) {
    EXPECT_NE(ZO_FIELD(*record_, Start), nullptr);
    EXPECT_NE(ZO_FIELD(*record_, Stop), nullptr);
    EXPECT_NE(ZO_FIELD(*record_, DebugRequest), nullptr);
    EXPECT_NE(ZO_FIELD(*record_, GetValue), nullptr);
    EXPECT_GT(std::strlen(record_->Description), 0u);
}

TEST_F(ZoDebugTest, PollsTheRuntimesValuesAndPublishesThemUnderTheLock) {
    startRuntime(3);
    target("127.0.0.1", port_);
    ASSERT_EQ(record_->Start(), 0);
    ASSERT_TRUE(waitUntil([&] { return value(2).Status == 1; }));
    for (uint16_t i = 0; i < 3; ++i) {
        int32_t rc = -9;
        const TDebugValue v = value(i, &rc);
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(v.Error, 0);
        EXPECT_EQ(asInt(v), 0);
    }
    EXPECT_GE(Host::repaintRequests.load(), 1);
    EXPECT_EQ(Host::repaintsUnlocked.load(), 0) << "RequestRepaint outside the kernel lock";
    EXPECT_GE(Host::hostRepaints.load(), 1);
    EXPECT_TRUE(logHas("Установлена связь с контроллером 127.0.0.1:" + std::to_string(port_) + ", цепей: 3"));

    // A net the runtime does not hold.
    int32_t rc = 0;
    const TDebugValue outside = value(3, &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(outside.Error, 1);
}

TEST_F(ZoDebugTest, DebugRequestSetsAValueThatTheNextPollBrings) {
    startRuntime(3);
    target("127.0.0.1", port_);
    ASSERT_EQ(record_->Start(), 0);
    ASSERT_TRUE(waitUntil([&] { return value(1).Status == 1; }));
    const int before = Host::repaintRequests.load();
    EXPECT_EQ(record_->DebugRequest(1, 1, -1234, 0, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return asInt(value(1)) == -1234; }));
    EXPECT_GT(Host::repaintRequests.load(), before);
    EXPECT_EQ(asInt(value(0)), 0);

    EXPECT_EQ(record_->DebugRequest(1, 3, 5, 0, 0), -2) << "net outside the runtime's list";
    EXPECT_EQ(record_->DebugRequest(1, -1, 5, 0, 0), -2);
    EXPECT_EQ(record_->DebugRequest(9, 0, 5, 0, 0), -3) << "unknown request";
}

TEST_F(ZoDebugTest, ALostRuntimeTurnsEveryValueIntoAnErrorAndStopStaysPrompt) {
    startRuntime(2);
    target("127.0.0.1", port_);
    ASSERT_EQ(record_->Start(), 0);
    ASSERT_TRUE(waitUntil([&] { return value(0).Status == 1; }));
    EXPECT_EQ(runtime_.Stop(), 0);
    ASSERT_TRUE(waitUntil([&] { return value(0).Error == 1; }));
    EXPECT_EQ(value(1).Error, 1);
    EXPECT_TRUE(logHas("Нет связи с контроллером 127.0.0.1:" + std::to_string(port_)));
    EXPECT_EQ(record_->DebugRequest(1, 0, 5, 0, 0), -1) << "no connection";

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(record_->Stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);  // joined, not hung
    int32_t rc = 0;
    EXPECT_EQ(value(0, &rc).Error, 1);
    EXPECT_EQ(rc, -1) << "no values after Stop";
}

TEST_F(ZoDebugTest, NoControllerShowsErrorsAndStopsPromptly) {
    ASSERT_NE(port_, 0);
    target("127.0.0.1", port_);  // held, nothing listens
    ASSERT_EQ(record_->Start(), 0);
    ASSERT_TRUE(waitUntil([&] { return Host::repaintRequests.load() >= 1; }));
    EXPECT_EQ(value(0).Error, 1);
    EXPECT_EQ(record_->Start(), -1) << "already started";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(record_->Stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);  // joined, not hung
    EXPECT_EQ(record_->Stop(), -1) << "not started";
}

TEST_F(ZoDebugTest, RefusesToStartWithoutAnAddress) {
    struct Case {
        const char* address;
        uint16_t port;
    };
    for (const Case& c : {Case{"", 5000}, Case{"127.0.0.1", 0}}) {
        target(c.address, c.port);
        EXPECT_EQ(record_->Start(), -2) << c.address << ":" << c.port;
    }
    // Sixteen characters without a terminator are no address either.
    std::memset(record_->IpAddress, '1', sizeof record_->IpAddress);
    record_->Port = 5000;
    EXPECT_EQ(record_->Start(), -2);
    EXPECT_EQ(record_->Stop(), -1);
}

// The runtime program on its own.
class RuntimeProgramTest : public ::testing::Test {
protected:
    static int request(int fd, const TRuntimeRequest& r, TRuntimeReply& reply, std::vector<uint32_t>* values = nullptr) {
        if (::send(fd, &r, sizeof r, MSG_NOSIGNAL) != ssize_t(sizeof r)) return -1;
        if (!receive(fd, &reply, sizeof reply)) return -1;
        if (values) {
            values->resize(reply.Count);
            if (reply.Count && !receive(fd, values->data(), reply.Count * 4u)) return -1;
        }
        return 0;
    }
    static bool receive(int fd, void* data, size_t size) {
        char* p = static_cast<char*>(data);
        while (size > 0) {
            pollfd pf{fd, POLLIN, 0};
            if (::poll(&pf, 1, 5000) <= 0) return false;
            const ssize_t n = ::recv(fd, p, size, 0);
            if (n <= 0) return false;
            p += n;
            size -= size_t(n);
        }
        return true;
    }
    static int connectTo(uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        at.sin_port = htons(port);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    zo::test::TempDir dir_;
};

TEST_F(RuntimeProgramTest, ServesReadsAndWritesAndEndsOnSigterm) {
    const zo::test::LoopbackPort held;
    const uint16_t port = held.number();
    ASSERT_NE(port, 0);
    zo::test::writeBytes(dir_.file("a.cfg"), configBytes("127.0.0.1", port, 300));
    RuntimeProcess runtime;
    ASSERT_TRUE(runtime.Start(dir_.file("a.cfg")));
    ASSERT_TRUE(zo::test::WaitForListener(port)) << runtime.Errors();
    const int fd = connectTo(port);
    ASSERT_GE(fd, 0);
    TRuntimeReply reply{};
    std::vector<uint32_t> values;

    ASSERT_EQ(request(fd, {kRuntimeInfo, 0, 0, 0}, reply), 0);
    EXPECT_EQ(ZO_FIELD(reply, Result), kRuntimeOk);
    EXPECT_EQ(ZO_FIELD(reply, Value), 300u);

    ASSERT_EQ(request(fd, {kRuntimeWrite, 299, 0, 0xDEADBEEF}, reply), 0);
    EXPECT_EQ(ZO_FIELD(reply, Result), kRuntimeOk);
    ASSERT_EQ(request(fd, {kRuntimeRead, 44, 256, 0}, reply, &values), 0);
    ASSERT_EQ(ZO_FIELD(reply, Result), kRuntimeOk);
    ASSERT_EQ(values.size(), 256u);
    EXPECT_EQ(values[255], 0xDEADBEEFu);
    EXPECT_EQ(values[0], 0u);

    struct Refused {
        TRuntimeRequest request;
        int8_t result;
    };
    for (const Refused& r : {Refused{{kRuntimeRead, 45, 256, 0}, kRuntimeBadIndex},
                             Refused{{kRuntimeRead, 0, 257, 0}, kRuntimeBadIndex},
                             Refused{{kRuntimeRead, 0, 0, 0}, kRuntimeBadIndex},
                             Refused{{kRuntimeWrite, 300, 0, 1}, kRuntimeBadIndex},
                             Refused{{77, 0, 0, 0}, kRuntimeBadCommand}}) {
        ASSERT_EQ(request(fd, r.request, reply, &values), 0);
        EXPECT_EQ(ZO_FIELD(reply, Result), r.result) << int(r.request.Command) << " " << ZO_FIELD(r.request, Index);
        EXPECT_EQ(ZO_FIELD(reply, Count), 0);
    }
    ::close(fd);
    EXPECT_EQ(runtime.Stop(), 0);
    EXPECT_NE(runtime.Output().find("300 nets"), std::string::npos);
}

TEST_F(RuntimeProgramTest, RefusesFilesItCannotRun) {
    const zo::test::LoopbackPort held;
    const uint16_t port = held.number();
    const std::string good = configBytes("127.0.0.1", port, 1);
    const size_t h = zo::runtime::kDeviceHeader.size;
    struct Case {
        const char* name;
        std::string bytes;
        int exitCode;
        const char* says;
    };
    std::string badKind = good;
    badKind[h + 6 + 2] = 9;
    std::string badLength = good;
    badLength[h + 6] = 50;
    std::string blocksFirst = good.substr(0, h) + good.substr(h + 6) + good.substr(h, 6);
    std::string countWithoutItems = good.substr(0, h + 6) + std::string("\x06\x00\x04\x02\x00\x00", 6) + good.substr(h + 6);
    std::string badAddress = good;
    std::memcpy(&badAddress[zo::runtime::kDeviceHeader.ipOffset], "127.0.0.x", 9);
    const Case cases[] = {
        {"missing", "", 2, "cannot read"},
        {"short header", good.substr(0, h - 1), 3, "shorter than the device header"},
        {"no connections element", good.substr(0, h), 3, "truncated element head"},
        {"unknown kind", badKind, 3, "unknown element kind 9"},
        {"element past the end", badLength, 3, "runs past the end"},
        {"block before connections", blocksFirst, 3, "connections element must come first"},
        {"channels announced, none present", countWithoutItems, 3, "2 announced, 0 present"},
        {"address", badAddress, 4, "not an IPv4 address"},
    };
    for (const Case& c : cases) {
        const std::string path = dir_.file(std::string(c.name) + ".cfg");
        if (std::string(c.name) != "missing") zo::test::writeBytes(path, c.bytes);
        RuntimeProcess runtime;
        ASSERT_TRUE(runtime.Start(path)) << c.name;
        EXPECT_EQ(runtime.WaitForExit(), c.exitCode) << c.name;
        EXPECT_NE(runtime.Errors().find(c.says), std::string::npos) << c.name;
    }
}

}  // namespace
