#include "kernel/ConfigWriter.h"

#include "common/Struct.h"
#include "kernel/ConfigFormat.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <cstring>

namespace zo::kernel {

namespace {

bool isPin(const TStructItem& item) { return std::strcmp(item.Kind, "IN") == 0 || std::strcmp(item.Kind, "OUT") == 0; }

// Net number of a pin field as the simplified layout stores it: its low byte.
uint8_t pinByte(const TStruct& d, const void* data, int index) {
    uint16_t net = 0;
    std::memcpy(&net, d.GetValuePtr(const_cast<void*>(data), index), sizeof net);
    return uint8_t(net & 0xFF);
}

bool simplifiedBlock(const TStruct& d, const void* data, std::string& out) {
    int length = 1;
    for (int i = 0; i < d.GetItemCount(); ++i) {
        const int size = d.GetItemSize(i);
        if (size < 1) return false;
        length += isPin(*d.GetItem(i)) ? 1 : size;
        if (length > 255) return false;
    }
    out.assign(1, char(length));
    for (int i = 0; i < d.GetItemCount(); ++i) {
        if (isPin(*d.GetItem(i))) {
            out.push_back(char(pinByte(d, data, i)));
        } else {
            const auto* place = static_cast<const char*>(d.GetValuePtr(const_cast<void*>(data), i));
            out.append(place, size_t(d.GetItemSize(i)));
        }
    }
    return true;
}

}  // namespace

std::string ConfigHead(int length, uint8_t kind, int value, int size) {
    const uint16_t l = uint16_t(length);
    const int16_t v = int16_t(value);
    std::string head(kCfgHeadSize, '\0');
    std::memcpy(&head[0], &l, 2);
    head[2] = char(kind);
    std::memcpy(&head[3], &v, 2);
    head[5] = char(uint8_t(size & 0xFF));
    return head;
}

const TStruct* BlockDescription(const TBlockRecord& block) { return static_cast<const TStruct*>(block.Block.Struct); }
const void* BlockData(const TBlockRecord& block) { return block.Block.Data; }

std::string BlockTypeName(const TBlockRecord& block) {
    const TStruct* d = BlockDescription(block);
    return d ? std::string(d->Name) : std::string();
}

std::string RecordName(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

std::string BlockOnSheet(const TSheetRecord& sheet, const TBlockRecord& block) {
    return Q + RecordName(block.Name, sizeof block.Name) + Q + ZO_RU(" схемы ") + Q +
           RecordName(sheet.Name, sizeof sheet.Name) + Q;
}

ConfigWriter::ConfigWriter(std::string cfgPath, std::string logName, TZoStringList* list, uint8_t fileType)
    : cfgPath_(std::move(cfgPath)), file_(platform::nativePath(platform::withCurrentDir(cfgPath_)), LinkPolicy::ReplaceLink),
      logName_(std::move(logName)), list_(list), fileType_(fileType) {
    if (list_ && list_->Clear) list_->Clear(list_);
}

// A run that failed after the file was started leaves nothing of it behind
// (the replacement removes its temporary file), and a configuration file
// written by an earlier run is left as it was (the run's result and log tell
// that it is not the project's).
ConfigWriter::~ConfigWriter() { publishLibraries(); }

void ConfigWriter::Log(const std::string& text, uint8_t level) const {
    const KernelState& s = State();
    if (s.logCallback) s.logCallback(logName_.c_str(), text.c_str(), kLogWriteMode, int32_t(level));
}

bool ConfigWriter::Create(const std::string& bytes) {
    if (file_.Open() != kReplaceOk || !file_.Write(bytes.data(), bytes.size())) return false;
    total_ = int64_t(bytes.size());
    return true;
}

bool ConfigWriter::Append(const std::string& bytes) {
    if (!file_.Write(bytes.data(), bytes.size())) return false;
    total_ += int64_t(bytes.size());
    return true;
}

bool ConfigWriter::Commit() { return file_.Commit() == kReplaceOk; }

void ConfigWriter::AddLibrary(const TBlockRecord& block) {
    const auto* display = static_cast<const TStruct*>(block.Display.Struct);
    if (!display || !block.Display.Data) return;
    int16_t index = -1;
    if (display->FindItem("Library", index) != 1) return;
    const std::string library = display->GetValue(block.Display.Data, index);
    if (!library.empty()) libraries_.insert(library);
}

void ConfigWriter::publishLibraries() {
    if (!list_ || !list_->Clear || !list_->Add) return;
    list_->Clear(list_);
    for (const std::string& library : libraries_) list_->Add(list_, library.c_str());
}

bool ConfigWriter::WriteBlock(const TSheetRecord& sheet, const TBlockRecord& block, int& length) {
    const TStruct* d = BlockDescription(block);
    const void* data = BlockData(block);
    if (!d || !data) return false;
    std::string element;
    if (fileType_ == 1) {
        const int size = d->GetSize();
        if (size < 0 || size + kCfgHeadSize > 0xFFFF) return false;
        element = ConfigHead(size + kCfgHeadSize, kCfgBlock, -1, size) +
                  std::string(static_cast<const char*>(data), size_t(size));
    } else if (fileType_ == 2) {
        if (!simplifiedBlock(*d, data, element)) return false;
    } else {
        return false;
    }
    if (!Append(element)) return false;
    length = int(element.size());
    if (fileType_ == 1)
        Log(ZO_RU("Добавлен блок ") + BlockOnSheet(sheet, block) + " -(" + std::to_string(length) + ZO_RU(" байт)"), kLogInformation);
    else
        Log(ZO_RU("Добавлен блок ") + BlockOnSheet(sheet, block) + ZO_RU(" -(1 байт +  ") + std::to_string(length - 1) +
                ZO_RU(" байт)"),
            kLogInformation);
    return true;
}

}  // namespace zo::kernel
