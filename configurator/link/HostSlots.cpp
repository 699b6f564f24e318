#include "configurator/link/HostSlots.h"

#include "configurator/link/KroLog.h"
#include "platform/Cp1251.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>

namespace zo::configurator {

namespace {

std::atomic<IHostServices*> g_services{nullptr};

QString text(const char* value) { return platform::cp1251ToQString(value); }

// No exception crosses back into the kernel.
template <typename F>
int32_t guarded(F&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        WriteLog(e.what(), LogLevel::Error);
    } catch (...) {
        WriteLog("host service failed", LogLevel::Error);
    }
    return -1;
}

}  // namespace

void SetHostServices(IHostServices* services) { g_services.store(services); }
IHostServices* HostServices() { return g_services.load(); }

namespace host {

int32_t ShowSchemeWindow(const char* caption) {
    IHostServices* s = HostServices();
    if (!s || !caption) return -1;
    return guarded([&] { return s->ShowSchemeWindow(text(caption)); });
}

int32_t CloseSchemeWindow(const char* sheetName) {
    IHostServices* s = HostServices();
    if (!s || !sheetName) return -1;
    return guarded([&] { return s->CloseSchemeWindow(text(sheetName)); });
}

int32_t CloseAllSchemeWindows() {
    IHostServices* s = HostServices();
    if (!s) return 0;
    return guarded([&] { return s->CloseAllSchemeWindows(); });
}

int32_t StoreSchemeWindowState(const char* sheetName) {
    IHostServices* s = HostServices();
    if (!s || !sheetName) return -1;
    return guarded([&] { return s->StoreSchemeWindowState(text(sheetName)); });
}

int32_t RenameSchemeWindow(const char* oldName, const char* newName) {
    IHostServices* s = HostServices();
    if (!s || !oldName || !newName) return -1;
    return guarded([&] { return s->RenameSchemeWindow(text(oldName), text(newName)); });
}

int32_t CreateSchemeWindow(const char* sheetName, int32_t* rect, int32_t* scroll, float* scale) {
    IHostServices* s = HostServices();
    if (!s || !sheetName) return -1;
    std::optional<QRect> r;
    if (rect) {
        int32_t v[4];
        std::memcpy(v, rect, sizeof v);
        r = QRect(QPoint(v[0], v[1]), QSize(v[2] - v[0], v[3] - v[1]));
    }
    std::optional<QPoint> sc;
    std::optional<float> zoom;
    if (scroll) {
        int32_t v[2];
        std::memcpy(v, scroll, sizeof v);
        sc = QPoint(v[0], v[1]);
        // The zoom is read only beside the scroll positions; nil, zero or not
        // a finite number leaves the window's own.
        if (scale) {
            float f = 0;
            std::memcpy(&f, scale, sizeof f);
            if (std::isfinite(f) && f > 0) zoom = f;
        }
    }
    return guarded([&] { return s->CreateSchemeWindow(text(sheetName), r, sc, zoom); });
}

void RepaintSchemeWindows() {
    IHostServices* s = HostServices();
    if (s) guarded([&] { s->RepaintSchemeWindows(); return 0; });
}

void UpdateActionStates() {
    IHostServices* s = HostServices();
    if (s) guarded([&] { s->UpdateActionStates(); return 0; });
}

int32_t SetStatusText(int32_t panel, const char* value) {
    IHostServices* s = HostServices();
    if (!s || !value) return -1;
    return guarded([&] { return s->SetStatusText(panel, text(value)); });
}

}  // namespace host

void WriteHostSlots(TKernelOptions& record) {
    record.ShowSchemeWindow = &host::ShowSchemeWindow;
    record.CloseSchemeWindow = &host::CloseSchemeWindow;
    record.CloseAllSchemeWindows = &host::CloseAllSchemeWindows;
    record.StoreSchemeWindowState = &host::StoreSchemeWindowState;
    record.RenameSchemeWindow = &host::RenameSchemeWindow;
    record.CreateSchemeWindow = &host::CreateSchemeWindow;
    record.RepaintSchemeWindows = &host::RepaintSchemeWindows;
    record.UpdateActionStates = &host::UpdateActionStates;
    record.SetStatusText = &host::SetStatusText;
    record.Inspector.SetStatusText = &host::SetStatusText;
}

}  // namespace zo::configurator
