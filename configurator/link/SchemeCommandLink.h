#pragma once
// The scheme window's commands' link to the kernel: edit keystrokes, the hit
// test at the pointer, the block's path, library and description picture,
// the folders of the device's runtime and the kernel's log. Texts are
// Windows-1251 on the kernel side; the link converts.

#include "common/abi/KernelOptions.h"

#include <QImage>
#include <QString>

#include <string>

namespace zo::configurator {

class SchemeLink;

class TSchemeCommandLink {
public:
    explicit TSchemeCommandLink(TKernelOptions* record = nullptr) : record_(record) {}
    // The record the scheme window's link reaches now.
    explicit TSchemeCommandLink(const SchemeLink& scheme);
    void SetRecord(TKernelOptions* record) { record_ = record; }
    bool Bound() const { return record_ != nullptr; }

    struct Hit {
        int32_t selectedBlocks = 0;
        int32_t selectedLinks = 0;
        int32_t blockIndex = -1;
        int32_t linkIndex = -1;
    };
    // SheetKeyDown; changed is set from the kernel's answer (it starts at 1).
    int32_t KeyDown(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const;
    int32_t HitTest(const QString& sheet, int32_t x, int32_t y, Hit& hit) const;
    // Windows-1251 texts; empty for nil.
    std::string BlockPath(const QString& sheet, int32_t blockIndex) const;
    std::string BlockLibrary(const QString& sheet, int32_t blockIndex) const;
    // The description picture of a block (a copy); null when the kernel gives none.
    QImage BlockInfoBitmap(const std::string& blockPath) const;
    std::string ProgramFolder() const;
    std::string DeviceRuntimeFolder() const;
    std::string DeviceProgram() const;
    void Log(const std::string& text, uint8_t level) const;

private:
    TKernelOptions* record_;
};

}  // namespace zo::configurator
