#pragma once
// The scheme window's way to the kernel: the sheet slots of TKernelOptions it
// calls (picture, placement, pointer, keys, drag and drop, canvas size), the
// host's status-bar routine and the kernel's log, with sheet names and texts as
// QString on this side and Windows-1251 on the kernel's. Every call answers
// kNoKernel when no record is bound or the record lacks the slot.

#include <QString>

#include <cstdint>

class QImage;
struct TKernelOptions;

namespace zo::configurator {

class TProjectSession;

class SchemeLink {
public:
    // Result of a call that found no kernel record or no slot to call.
    static constexpr int32_t kNoKernel = -1000;

    explicit SchemeLink(TKernelOptions* record = nullptr) : own_(record) {}
    // A link that follows a record variable, e.g. the program's KernelOptionsPtr:
    // every call takes the record the variable holds at that moment, so a kernel
    // bound later or unbound again is never called through a stale address.
    explicit SchemeLink(TKernelOptions* const* source) : source_(source) {}
    // A link that follows the session's record.
    explicit SchemeLink(const TProjectSession& session);
    SchemeLink(const SchemeLink&) = delete;
    SchemeLink& operator=(const SchemeLink&) = delete;

    void SetRecord(TKernelOptions* record) {
        own_ = record;
        source_ = &own_;
    }
    TKernelOptions* Record() const { return *source_; }
    bool Bound() const { return Record() != nullptr; }

    // The sheet's picture as the kernel painted it; it stays the kernel's (valid
    // until the next paint). picture is nil when the kernel gave none.
    int32_t PaintScheme(const QString& sheet, const QImage** picture) const;
    int32_t SetSheetWindow(const QString& sheet, int32_t left, int32_t top, int32_t right, int32_t bottom,
                           int32_t hScroll, int32_t vScroll, float scale) const;
    int32_t ResizeSheet(const QString& sheet, int32_t left, int32_t top, int32_t right, int32_t bottom) const;

    struct MouseAnswer {
        QString status;     // the kernel's status text
        QString hint;       // the kernel's hint text (moves only)
        int16_t cursor = 0; // the kernel's cursor number (moves only)
        bool changed = false;
    };
    int32_t MouseMove(const QString& sheet, int32_t x, int32_t y, MouseAnswer& answer) const;
    int32_t MouseDown(const QString& sheet, int32_t x, int32_t y, uint8_t button, MouseAnswer& answer) const;
    int32_t MouseUp(const QString& sheet, int32_t x, int32_t y, uint8_t button, MouseAnswer& answer) const;
    int32_t KeyDown(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const;
    int32_t KeyUp(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const;

    // bitmap is the window's framed picture; source the drag object.
    int32_t DragOver(const QString& sheet, void* bitmap, void* source, uint16_t x, uint16_t y) const;
    int32_t DragDrop(const QString& sheet, void* source, uint16_t x, uint16_t y) const;
    // The host's repaint of every scheme window, as the kernel would ask for it.
    void RepaintSchemeWindows() const;

    // Whether the display options the kernel holds show hints.
    bool HintsShown() const;

    void SetStatusText(int32_t panel, const QString& text) const;
    void Log(const QString& text, uint8_t level) const;

private:
    TKernelOptions* own_ = nullptr;
    TKernelOptions* const* source_ = &own_;
};

}  // namespace zo::configurator
