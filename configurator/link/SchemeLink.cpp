#include "configurator/link/SchemeLink.h"

#include "configurator/link/ProjectSession.h"
#include "configurator/link/VisibleOptionsLink.h"

#include "common/abi/KernelOptions.h"
#include "platform/Cp1251.h"

#include <QImage>

#include <cstring>
#include <string>

namespace zo::configurator {

SchemeLink::SchemeLink(const TProjectSession& session) : source_(session.RecordSource()) {}

namespace {

std::string cp(const QString& text) { return platform::qstringToCp1251(text); }

// A kernel text buffer: 261 bytes, zero-terminated whatever the kernel wrote.
struct TextBuffer {
    char text[261] = {};
    QString value() {
        text[sizeof text - 1] = 0;
        return platform::cp1251ToQString(std::string_view(text, std::strlen(text)));
    }
};

}  // namespace

int32_t SchemeLink::PaintScheme(const QString& sheet, const QImage** picture) const {
    *picture = nullptr;
    if (!Record() || !Record()->PaintScheme) return kNoKernel;
    void* bitmap = nullptr;
    const int32_t result = Record()->PaintScheme(cp(sheet).c_str(), &bitmap);
    *picture = static_cast<const QImage*>(bitmap);
    return result;
}

int32_t SchemeLink::SetSheetWindow(const QString& sheet, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   int32_t hScroll, int32_t vScroll, float scale) const {
    if (!Record() || !Record()->SetSheetWindow) return kNoKernel;
    return Record()->SetSheetWindow(cp(sheet).c_str(), left, top, right, bottom, hScroll, vScroll, scale);
}

int32_t SchemeLink::ResizeSheet(const QString& sheet, int32_t left, int32_t top, int32_t right,
                                int32_t bottom) const {
    if (!Record() || !Record()->ResizeSheet) return kNoKernel;
    return Record()->ResizeSheet(cp(sheet).c_str(), left, top, right, bottom);
}

int32_t SchemeLink::MouseMove(const QString& sheet, int32_t x, int32_t y, MouseAnswer& answer) const {
    if (!Record() || !Record()->SheetMouseMove) return kNoKernel;
    TextBuffer status, hint;
    int16_t cursor = answer.cursor;
    uint8_t changed = 0;
    const int32_t result = Record()->SheetMouseMove(cp(sheet).c_str(), x, y, status.text, hint.text, &cursor, &changed);
    answer.status = status.value();
    answer.hint = hint.value();
    answer.cursor = cursor;
    answer.changed = changed != 0;
    return result;
}

int32_t SchemeLink::MouseDown(const QString& sheet, int32_t x, int32_t y, uint8_t button, MouseAnswer& answer) const {
    if (!Record() || !Record()->SheetMouseDown) return kNoKernel;
    TextBuffer status;
    uint8_t changed = 0;
    const int32_t result = Record()->SheetMouseDown(cp(sheet).c_str(), x, y, button, status.text, &changed);
    answer.status = status.value();
    answer.changed = changed != 0;
    return result;
}

int32_t SchemeLink::MouseUp(const QString& sheet, int32_t x, int32_t y, uint8_t button, MouseAnswer& answer) const {
    if (!Record() || !Record()->SheetMouseUp) return kNoKernel;
    TextBuffer status;
    uint8_t changed = 0;
    const int32_t result = Record()->SheetMouseUp(cp(sheet).c_str(), x, y, button, status.text, &changed);
    answer.status = status.value();
    answer.changed = changed != 0;
    return result;
}

int32_t SchemeLink::KeyDown(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const {
    changed = false;
    if (!Record() || !Record()->SheetKeyDown) return kNoKernel;
    uint8_t c = 0;
    const int32_t result = Record()->SheetKeyDown(cp(sheet).c_str(), key, shift, &c);
    changed = c != 0;
    return result;
}

int32_t SchemeLink::KeyUp(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const {
    changed = false;
    if (!Record() || !Record()->SheetKeyUp) return kNoKernel;
    uint8_t c = 0;
    const int32_t result = Record()->SheetKeyUp(cp(sheet).c_str(), key, shift, &c);
    changed = c != 0;
    return result;
}

int32_t SchemeLink::DragOver(const QString& sheet, void* bitmap, void* source, uint16_t x, uint16_t y) const {
    if (!Record() || !Record()->SheetDragOver) return kNoKernel;
    return Record()->SheetDragOver(cp(sheet).c_str(), bitmap, source, x, y, 5);
}

int32_t SchemeLink::DragDrop(const QString& sheet, void* source, uint16_t x, uint16_t y) const {
    if (!Record() || !Record()->SheetDragDrop) return kNoKernel;
    return Record()->SheetDragDrop(cp(sheet).c_str(), source, x, y);
}

void SchemeLink::RepaintSchemeWindows() const {
    if (Record() && Record()->RepaintSchemeWindows) Record()->RepaintSchemeWindows();
}

bool SchemeLink::HintsShown() const { return VisibleOptionsOf(Record()).ShowHints != 0; }

void SchemeLink::SetStatusText(int32_t panel, const QString& text) const {
    if (Record() && Record()->SetStatusText) Record()->SetStatusText(panel, cp(text).c_str());
}

void SchemeLink::Log(const QString& text, uint8_t level) const {
    if (Record() && Record()->KernelLog) Record()->KernelLog(cp(text).c_str(), level);
}

}  // namespace zo::configurator
