#include "kernel/NetValues.h"

#include "common/abi/DebugOptions.h"
#include "kernel/KernelLock.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/OutsideLibraries.h"
#include "platform/Cp1251.h"

#include <cstring>

namespace zo::kernel {

namespace {

constexpr const char* kUnknownText = "?";
constexpr const char* kErrorText = "err";

// The text of one entry read from the debugging library; the tag takes the status bytes.
std::string readEntry(const TDebugOptions& debug, const TConvertOptions& convert, uint16_t index, uint32_t& tag) {
    const uint16_t lineType = NetTagLineType(tag);
    const TMenObj& types = State().lineTypes;
    if (lineType == kNetNoLineType || lineType >= types.Count) return kUnknownText;
    const std::string dataType = LineTypeDataType(types.GetItem(lineType));
    const int32_t size = convert.TypeSize ? convert.TypeSize(dataType.c_str()) : -1;
    if (size < 1 || size > 4) return kUnknownText;
    TDebugValue value{};
    {
        KernelLockGuard lock;
        debug.GetValue(&value, index);
    }
    tag = (tag & 0xFFFFu) | (uint32_t(value.Error) << 16) | (uint32_t(value.Status) << 24);
    if (value.Error) return kErrorText;
    const char* text = nullptr;
    if (!convert.ValueToText || convert.ValueToText(dataType.c_str(), value.Value, &text) != 0 || !text)
        return kUnknownText;
    return text;
}

}  // namespace

uint16_t NetTagLineType(uint32_t tag) { return uint16_t(tag & 0xFFFFu); }
uint8_t NetTagError(uint32_t tag) { return uint8_t(tag >> 16); }
uint8_t NetTagStatus(uint32_t tag) { return uint8_t(tag >> 24); }

void ClearNetValues() {
    State().netValues.clear();
    State().netValues.shrink_to_fit();
}

void FillNetValues(int nets) {
    std::vector<TNetValue>& list = State().netValues;
    list.assign(size_t(nets > 0 ? nets : 0), TNetValue{ZO_RU("нет"), kNetNoLineType});
    const TMenObj& sheets = State().sheets;
    for (uint16_t s = 0; s < sheets.Count; ++s) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(s));
        const TMenObj* links = sheet->Links;
        if (!links) continue;
        for (uint16_t l = 0; l < links->Count; ++l) {
            TConnectionRecord link;
            std::memcpy(&link, links->GetItem(l), sizeof link);
            const int net = link.NetIndex;
            if (net < 0 || size_t(net) >= list.size()) continue;
            list[size_t(net)].tag = uint16_t(link.LineType);
        }
    }
}

int NetValueCount() { return int(State().netValues.size()); }

bool GetNetValue(int index, std::string& text, uint32_t& tag) {
    const std::vector<TNetValue>& list = State().netValues;
    if (index < 0 || size_t(index) >= list.size()) return false;
    text = list[size_t(index)].text;
    tag = list[size_t(index)].tag;
    return true;
}

bool RefreshNetValues() {
    const TDebugOptions* debug = DebugOptions();
    const TConvertOptions* convert = Options().ConvertOptions;
    if (!debug || !debug->GetValue || !convert) return false;
    std::vector<TNetValue>& list = State().netValues;
    for (size_t i = 0; i < list.size() && i <= 0xFFFF; ++i)
        list[i].text = readEntry(*debug, *convert, uint16_t(i), list[i].tag);
    return true;
}

}  // namespace zo::kernel
