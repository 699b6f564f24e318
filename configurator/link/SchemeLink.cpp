#include "configurator/link/SchemeLink.h"

#include "configurator/link/ProjectSession.h"
#include "configurator/link/VisibleOptionsLink.h"

#include "common/abi/KernelOptions.h"
#include "platform/Cp1251.h"

#include <QImage>

#include <cstring>
#include <string>

namespace zo::configurator {

SchemeLink::SchemeLink(const TProjectSession& session) : source_(session.recordSource()) {}

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

int32_t SchemeLink::paintScheme(const QString& sheet, const QImage** picture) const {
    *picture = nullptr;
    if (!record() || !record()->PaintScheme) return kNoKernel;
    void* bitmap = nullptr;
    const int32_t result = record()->PaintScheme(cp(sheet).c_str(), &bitmap);
    *picture = static_cast<const QImage*>(bitmap);
    return result;
}

int32_t SchemeLink::setSheetWindow(const QString& sheet, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   int32_t hScroll, int32_t vScroll, float scale) const {
    if (!record() || !record()->SetSheetWindow) return kNoKernel;
    return record()->SetSheetWindow(cp(sheet).c_str(), left, top, right, bottom, hScroll, vScroll, scale);
}

int32_t SchemeLink::resizeSheet(const QString& sheet, int32_t left, int32_t top, int32_t right,
                                int32_t bottom) const {
    if (!record() || !record()->ResizeSheet) return kNoKernel;
    return record()->ResizeSheet(cp(sheet).c_str(), left, top, right, bottom);
}

int32_t SchemeLink::mouseMove(const QString& sheet, int32_t x, int32_t y, MouseAnswer& answer) const {
    if (!record() || !record()->SheetMouseMove) return kNoKernel;
    TextBuffer status, hint;
    int16_t cursor = answer.cursor;
    uint8_t changed = 0;
    const int32_t result = record()->SheetMouseMove(cp(sheet).c_str(), x, y, status.text, hint.text, &cursor, &changed);
    answer.status = status.value();
    answer.hint = hint.value();
    answer.cursor = cursor;
    answer.changed = changed != 0;
    return result;
}

int32_t SchemeLink::mouseDown(const QString& sheet, int32_t x, int32_t y, uint8_t button, MouseAnswer& answer) const {
    if (!record() || !record()->SheetMouseDown) return kNoKernel;
    TextBuffer status;
    uint8_t changed = 0;
    const int32_t result = record()->SheetMouseDown(cp(sheet).c_str(), x, y, button, status.text, &changed);
    answer.status = status.value();
    answer.changed = changed != 0;
    return result;
}

int32_t SchemeLink::mouseUp(const QString& sheet, int32_t x, int32_t y, uint8_t button, MouseAnswer& answer) const {
    if (!record() || !record()->SheetMouseUp) return kNoKernel;
    TextBuffer status;
    uint8_t changed = 0;
    const int32_t result = record()->SheetMouseUp(cp(sheet).c_str(), x, y, button, status.text, &changed);
    answer.status = status.value();
    answer.changed = changed != 0;
    return result;
}

int32_t SchemeLink::keyDown(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const {
    changed = false;
    if (!record() || !record()->SheetKeyDown) return kNoKernel;
    uint8_t c = 0;
    const int32_t result = record()->SheetKeyDown(cp(sheet).c_str(), key, shift, &c);
    changed = c != 0;
    return result;
}

int32_t SchemeLink::keyUp(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const {
    changed = false;
    if (!record() || !record()->SheetKeyUp) return kNoKernel;
    uint8_t c = 0;
    const int32_t result = record()->SheetKeyUp(cp(sheet).c_str(), key, shift, &c);
    changed = c != 0;
    return result;
}

int32_t SchemeLink::dragOver(const QString& sheet, void* bitmap, void* source, uint16_t x, uint16_t y) const {
    if (!record() || !record()->SheetDragOver) return kNoKernel;
    return record()->SheetDragOver(cp(sheet).c_str(), bitmap, source, x, y, 5);
}

int32_t SchemeLink::dragDrop(const QString& sheet, void* source, uint16_t x, uint16_t y) const {
    if (!record() || !record()->SheetDragDrop) return kNoKernel;
    return record()->SheetDragDrop(cp(sheet).c_str(), source, x, y);
}

void SchemeLink::repaintSchemeWindows() const {
    if (record() && record()->RepaintSchemeWindows) record()->RepaintSchemeWindows();
}

bool SchemeLink::hintsShown() const { return VisibleOptionsOf(record()).ShowHints != 0; }

void SchemeLink::setStatusText(int32_t panel, const QString& text) const {
    if (record() && record()->SetStatusText) record()->SetStatusText(panel, cp(text).c_str());
}

void SchemeLink::log(const QString& text, uint8_t level) const {
    if (record() && record()->KernelLog) record()->KernelLog(cp(text).c_str(), level);
}

}  // namespace zo::configurator
