#pragma once
// The host slots of TKernelOptions: the C functions the kernel calls back into
// the program through. Each trampoline turns the kernel's Windows-1251 texts
// into QString and hands the call to the one set of host services installed.
// Without installed services every slot answers -1 (or does nothing).

#include "common/abi/KernelOptions.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace zo::configurator {

// What the kernel's host slots do; the main window implements it.
class IHostServices {
public:
    virtual ~IHostServices() = default;
    virtual int ShowSchemeWindow(const QString& caption) = 0;
    virtual int CloseSchemeWindow(const QString& sheetName) = 0;
    virtual int CloseAllSchemeWindows() = 0;
    virtual int StoreSchemeWindowState(const QString& sheetName) = 0;
    virtual int RenameSchemeWindow(const QString& oldName, const QString& newName) = 0;
    // rect: left, top, right, bottom; scroll: horizontal, vertical; scale only
    // when given and finite (the kernel passes it beside the scroll positions).
    virtual int CreateSchemeWindow(const QString& sheetName, std::optional<QRect> rect, std::optional<QPoint> scroll,
                                   std::optional<float> scale) = 0;
    // May be called from any thread.
    virtual void RepaintSchemeWindows() = 0;
    virtual void UpdateActionStates() = 0;
    virtual int SetStatusText(int panel, const QString& text) = 0;
};

// Makes services the target of every host slot (nullptr: none).
void SetHostServices(IHostServices* services);
IHostServices* HostServices();

// Writes the nine host slots into the record (also the inspector part's
// SetStatusText), in the order the kernel expects them written.
void WriteHostSlots(TKernelOptions& record);

// The trampolines, for tests that call a slot directly.
namespace host {
int32_t ShowSchemeWindow(const char* caption);
int32_t CloseSchemeWindow(const char* sheetName);
int32_t CloseAllSchemeWindows();
int32_t StoreSchemeWindowState(const char* sheetName);
int32_t RenameSchemeWindow(const char* oldName, const char* newName);
int32_t CreateSchemeWindow(const char* sheetName, int32_t* rect, int32_t* scroll, float* scale);
void RepaintSchemeWindows();
void UpdateActionStates();
int32_t SetStatusText(int32_t panel, const char* text);
}  // namespace host

}  // namespace zo::configurator
