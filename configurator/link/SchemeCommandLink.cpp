#include "configurator/link/SchemeCommandLink.h"

#include "configurator/link/SchemeLink.h"

#include "platform/Cp1251.h"

namespace zo::configurator {

TSchemeCommandLink::TSchemeCommandLink(const SchemeLink& scheme) : record_(scheme.Record()) {}

namespace {

std::string textOf(const char* value) { return value ? std::string(value) : std::string(); }

}  // namespace

int32_t TSchemeCommandLink::KeyDown(const QString& sheet, uint16_t key, uint8_t shift, bool& changed) const {
    if (!record_ || !record_->SheetKeyDown) return -1;
    uint8_t flag = 1;
    const int32_t result = record_->SheetKeyDown(platform::qstringToCp1251(sheet).c_str(), key, shift, &flag);
    changed = flag != 0;
    return result;
}

int32_t TSchemeCommandLink::HitTest(const QString& sheet, int32_t x, int32_t y, Hit& hit) const {
    if (!record_ || !record_->SheetHitTest) return -1;
    hit = Hit{};
    return record_->SheetHitTest(platform::qstringToCp1251(sheet).c_str(), x, y, &hit.selectedBlocks,
                                 &hit.selectedLinks, &hit.blockIndex, &hit.linkIndex);
}

std::string TSchemeCommandLink::BlockPath(const QString& sheet, int32_t blockIndex) const {
    if (!record_ || !record_->GetBlockPath) return {};
    return textOf(record_->GetBlockPath(platform::qstringToCp1251(sheet).c_str(), blockIndex));
}

std::string TSchemeCommandLink::BlockLibrary(const QString& sheet, int32_t blockIndex) const {
    if (!record_ || !record_->GetBlockLibrary) return {};
    return textOf(record_->GetBlockLibrary(platform::qstringToCp1251(sheet).c_str(), blockIndex));
}

QImage TSchemeCommandLink::BlockInfoBitmap(const std::string& blockPath) const {
    if (!record_ || !record_->GetBlockInfoBitmap) return {};
    void* picture = nullptr;
    QImage copy;
    if (record_->GetBlockInfoBitmap(blockPath.c_str(), &picture) == 0 && picture)
        copy = static_cast<const QImage*>(picture)->copy();
    // The kernel's picture goes back to the kernel.
    if (picture && record_->ReleaseObject) record_->ReleaseObject(&picture);
    return copy;
}

std::string TSchemeCommandLink::ProgramFolder() const {
    return record_ && record_->GetProgramFolder ? textOf(record_->GetProgramFolder()) : std::string();
}
std::string TSchemeCommandLink::DeviceRuntimeFolder() const {
    return record_ && record_->GetDeviceRuntimeFolder ? textOf(record_->GetDeviceRuntimeFolder()) : std::string();
}
std::string TSchemeCommandLink::DeviceProgram() const {
    return record_ && record_->GetDeviceProgram ? textOf(record_->GetDeviceProgram()) : std::string();
}

void TSchemeCommandLink::Log(const std::string& text, uint8_t level) const {
    if (record_ && record_->KernelLog) record_->KernelLog(text.c_str(), level);
}

}  // namespace zo::configurator
