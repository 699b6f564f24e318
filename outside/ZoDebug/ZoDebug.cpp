// Stand-in for the product's outside on-line debugging library ZoDebug (live net values from the controller).
//
// Start connects to the controller's runtime program at the record's IpAddress
// and Port (protocol: common/abi/RuntimeProtocol.h) and polls the values of all
// nets on a thread of its own. Each poll that brings a change is published
// under the kernel's lock (Lock/Unlock of the record) together with a repaint
// request (RequestRepaint), and then the host is asked to repaint (HostCallback).
// The painter reads the values back through GetValue, also under the kernel's
// lock. A lost connection marks every value as an error and is retried.
// DebugRequest passes requests to the runtime: (1, net, value) sets a net's
// value. Stop ends the thread and waits for it.

#include "RuntimeLink.h"

#include "common/SlotBarrier.h"
#include "common/abi/DebugOptions.h"
#include "platform/Cp1251.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto kPollPeriod = 100ms;   // between two reads of all values
constexpr auto kRetryPeriod = 300ms;  // between two connection attempts
constexpr auto kTimeout = 1000ms;     // for one exchange with the runtime

// DebugRequest's requests and answers.
constexpr int32_t kRequestSetValue = 1;
constexpr int32_t kNotConnected = -1;
constexpr int32_t kBadNet = -2;
constexpr int32_t kUnknownRequest = -3;
constexpr int32_t kLinkFailed = -4;

struct Session {
    std::string address;
    uint16_t port = 0;
    std::atomic<bool> stop{false};
    std::mutex wakeMutex;
    std::condition_variable wake;

    // The connection, shared by the poll thread and DebugRequest.
    std::mutex linkMutex;
    zo::debug::RuntimeLink link{stop, kTimeout};
    uint32_t nets = 0;

    // What GetValue answers from.
    std::mutex valuesMutex;
    std::vector<uint32_t> values;
    bool connected = false;
    bool fresh = false;

    std::thread thread;
};

TDebugOptions g_record{};
Session* g_session = nullptr;  // changed only by Start and Stop

void log(const std::string& text, uint8_t level) {
    if (g_record.Log) g_record.Log(text.c_str(), level);
}

// A failed entry of the record, told once at level 5 through the kernel's log.
void reportFailure(const char* slot, const char* what) noexcept {
    if (!g_record.Log) return zo::ReportSlotFailureToStderr(slot, what);
    char line[512];
    std::snprintf(line, sizeof line, "ZoDebug %s: %s", slot, what);
    try {
        g_record.Log(line, kLogError);
    } catch (...) {
    }
}

template <zo::SlotName Name, auto Routine, auto... Failure>
constexpr auto Guarded = &zo::SlotBarrier<reportFailure, Name, Routine, Failure...>::Call;

std::string where(const Session& s) { return s.address + ":" + std::to_string(s.port); }

// Publishes a poll's outcome: the values read (nil when the connection failed).
void publish(Session& s, const std::vector<uint32_t>* values) {
    if (g_record.Lock) g_record.Lock();
    {
        std::lock_guard<std::mutex> guard(s.valuesMutex);
        if (values) s.values = *values;
        s.connected = values != nullptr;
        s.fresh = values != nullptr;
    }
    if (g_record.RequestRepaint) g_record.RequestRepaint();
    if (g_record.Unlock) g_record.Unlock();
    if (g_record.HostCallback) g_record.HostCallback();
}

bool readAll(Session& s, std::vector<uint32_t>& out) {
    std::lock_guard<std::mutex> guard(s.linkMutex);
    out.clear();
    std::vector<uint32_t> chunk;
    for (uint32_t first = 0; first < s.nets; first += kRuntimeMaxRead) {
        const uint32_t count = std::min<uint32_t>(kRuntimeMaxRead, s.nets - first);
        int8_t result = 0;
        if (!s.link.Read(uint16_t(first), uint16_t(count), chunk, result) || result != kRuntimeOk) {
            s.link.Close();
            return false;
        }
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return true;
}

// Connects when not connected; false when there is no connection.
bool ensureConnected(Session& s, bool& justConnected) {
    std::lock_guard<std::mutex> guard(s.linkMutex);
    justConnected = false;
    if (s.link.Connected()) return true;
    uint32_t nets = 0;
    if (!s.link.Connect(s.address, s.port) || !s.link.Info(nets) || nets > 65536) {
        s.link.Close();
        return false;
    }
    s.nets = nets;
    justConnected = true;
    return true;
}

void pause(Session& s, std::chrono::milliseconds period) {
    std::unique_lock<std::mutex> lock(s.wakeMutex);
    s.wake.wait_for(lock, period, [&] { return s.stop.load(); });
}

void poll(Session& s) {
    enum class Shown { Nothing, Values, Failure } shown = Shown::Nothing;
    bool failureLogged = false;
    std::vector<uint32_t> last;
    std::vector<uint32_t> values;
    while (!s.stop.load()) {
        bool justConnected = false;
        if (!ensureConnected(s, justConnected) || !readAll(s, values)) {
            if (s.stop.load()) break;
            if (!failureLogged) log(ZO_RU("Нет связи с контроллером ") + where(s), kLogWarning);
            failureLogged = true;
            if (shown != Shown::Failure) publish(s, nullptr);
            shown = Shown::Failure;
            pause(s, kRetryPeriod);
            continue;
        }
        if (justConnected) {
            log(ZO_RU("Установлена связь с контроллером ") + where(s) + ZO_RU(", цепей: ") + std::to_string(s.nets), kLogMilestone);
            failureLogged = false;
        }
        if (shown != Shown::Values || values != last) {
            publish(s, &values);
            last = values;
            shown = Shown::Values;
        }
        pause(s, kPollPeriod);
    }
    std::lock_guard<std::mutex> guard(s.linkMutex);
    s.link.Close();
}

void stopSession() {
    Session* s = g_session;
    if (!s) return;
    {
        std::lock_guard<std::mutex> lock(s->wakeMutex);
        s->stop.store(true);
    }
    s->wake.notify_all();
    if (s->thread.joinable()) s->thread.join();
    g_session = nullptr;
    delete s;
}

// A library unloaded while still polling ends its thread first.
struct StopAtUnload {
    ~StopAtUnload() { stopSession(); }
} g_stopAtUnload;

}  // namespace

extern "C" {

static int32_t DebugStart() {
    if (g_session) return -1;
    const std::string address(g_record.IpAddress, strnlen(g_record.IpAddress, sizeof g_record.IpAddress));
    const uint16_t port = g_record.Port;
    if (address.empty() || address.size() >= sizeof g_record.IpAddress || port == 0) {
        log(ZO_RU("Не задан адрес контроллера: ") + "\"" + address + "\":" + std::to_string(port), kLogError);
        return -2;
    }
    try {
        auto* s = new Session;
        s->address = address;
        s->port = port;
        g_session = s;
        s->thread = std::thread(poll, std::ref(*s));
    } catch (...) {
        delete g_session;
        g_session = nullptr;
        return -3;
    }
    log(ZO_RU("Запущена отладка, контроллер ") + address + ":" + std::to_string(port), kLogMilestone);
    return 0;
}

static int32_t DebugStop() {
    if (!g_session) return -1;
    stopSession();
    log(ZO_RU("Отладка остановлена"), kLogMilestone);
    return 0;
}

static int32_t DebugGetValue(void* buffer, uint16_t index) {
    if (!buffer) return -1;
    TDebugValue v{};
    int32_t result = -1;
    if (Session* s = g_session) {
        std::lock_guard<std::mutex> guard(s->valuesMutex);
        if (index < s->values.size()) {
            const uint32_t value = s->values[index];
            std::memcpy(v.Value, &value, sizeof v.Value);
            v.Error = s->connected ? 0 : 1;
            v.Status = s->fresh ? 1 : 0;
            result = 0;
        }
    }
    if (result != 0) v.Error = 1;
    std::memcpy(buffer, &v, sizeof v);
    return result;
}

static int32_t DebugRequest(int32_t a, int32_t b, int32_t c, int32_t, uint8_t) {
    if (a != kRequestSetValue) return kUnknownRequest;
    Session* s = g_session;
    if (!s) return kNotConnected;
    if (b < 0 || b > 65535) return kBadNet;
    std::lock_guard<std::mutex> guard(s->linkMutex);
    if (!s->link.Connected()) return kNotConnected;
    int8_t result = 0;
    if (!s->link.Write(uint16_t(b), uint32_t(c), result)) return kLinkFailed;
    return result == kRuntimeOk ? 0 : kBadNet;
}

__attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    static const bool filled = [] {
        const std::string& description = ZO_RU("Отладка FBD схем на контроллере (TCP)");
        std::strncpy(g_record.Description, description.c_str(), sizeof g_record.Description - 1);
        g_record.Start = Guarded<"Start", DebugStart, -3>;
        g_record.Stop = Guarded<"Stop", DebugStop, -1>;
        g_record.DebugRequest = Guarded<"DebugRequest", DebugRequest, kLinkFailed>;
        g_record.GetValue = Guarded<"GetValue", DebugGetValue, -1>;
        return true;
    }();
    (void)filled;
    if (record) *record = &g_record;
    if (size) *size = int32_t(sizeof(TDebugOptions));
}

}  // extern "C"
