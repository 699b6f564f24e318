#include "configurator/link/InspectorLink.h"

#include "configurator/link/KroDialogs.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <vector>

namespace zo::configurator {

namespace {
constexpr int32_t kScratchSize = 32768;
std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }
}  // namespace

std::string InspectorLink::StructPath(const TStructInstance* instance) const {
    return record_ && record_->GetStructPath && instance ? textOf(record_->GetStructPath(instance)) : std::string();
}

#define ZO_STRUCT_TEXT(method, slot)                                                                            \
    std::string InspectorLink::method(const TStructInstance* instance) const {                                  \
        return record_ && record_->StructAccess.slot && instance ? textOf(record_->StructAccess.slot(instance)) \
                                                                 : std::string();                               \
    }
ZO_STRUCT_TEXT(StructName, GetStructName)
ZO_STRUCT_TEXT(StructCaption, GetStructCaption)
#undef ZO_STRUCT_TEXT

int InspectorLink::ItemCount(const TStructInstance* instance) const {
    return record_ && record_->StructAccess.GetStructItemCount && instance
               ? std::max(0, record_->StructAccess.GetStructItemCount(instance))
               : 0;
}

#define ZO_ITEM_TEXT(method, slot)                                                                    \
    std::string InspectorLink::method(const TStructInstance* instance, int index) const {             \
        return record_ && record_->StructAccess.slot && instance && index >= 0                         \
                   ? textOf(record_->StructAccess.slot(instance, uint16_t(index)))                    \
                   : std::string();                                                                   \
    }
ZO_ITEM_TEXT(ItemType, GetStructItemType)
ZO_ITEM_TEXT(ItemName, GetStructItemName)
ZO_ITEM_TEXT(ItemCaption, GetStructItemCaption)
ZO_ITEM_TEXT(ItemKind, GetStructItemKind)
ZO_ITEM_TEXT(ItemList, GetStructItemList)
ZO_ITEM_TEXT(ItemValue, GetStructItemValue)
#undef ZO_ITEM_TEXT

int InspectorLink::SetItemValue(const TStructInstance* instance, int index, const std::string& text) const {
    return record_ && record_->StructAccess.SetStructItemValue && instance && index >= 0
               ? record_->StructAccess.SetStructItemValue(instance, uint16_t(index), text.c_str())
               : 0;
}

void* InspectorLink::ItemPtr(const TStructInstance* instance, int index) const {
    return record_ && record_->GetStructItemPtr && instance && index >= 0
               ? record_->GetStructItemPtr(instance, uint16_t(index))
               : nullptr;
}

bool InspectorLink::CanConvert() const {
    return record_ && record_->ConvertOptions && record_->ConvertOptions->TextToValue;
}

bool InspectorLink::TextIsValue(const std::string& typeName, const std::string& text) const {
    if (!CanConvert()) return false;
    const TConvertOptions& convert = *record_->ConvertOptions;
    int32_t size = kScratchSize;
    if (convert.TypeSize) size = std::max(size, convert.TypeSize(typeName.c_str()));
    std::vector<char> scratch(size_t(size), 0);
    return convert.TextToValue(typeName.c_str(), text.c_str(), scratch.data()) == 0;
}

void InspectorLink::SetStatusText(int panel, const QString& text) const {
    if (record_ && record_->SetStatusText) record_->SetStatusText(panel, Cp1251(text).c_str());
}

int InspectorLink::OpenDialogOfType(const std::string& typeName, void* data) const {
    return dialogs_ ? dialogs_(typeName, data) : 0;
}

InspectorLink::DialogOpener InspectorLink::DialogsLibraryOpener(TLogProc log) {
    return [log](const std::string& typeName, void* data) {
        const ScopedDialogsLibrary library("\\system", log);
        const int32_t result = CallOpenDialogOfType(nullptr, typeName, data);
        return result == kDialogsNotBound ? 0 : int(result);
    };
}

QString InspectorLink::text(const std::string& cp1251Text) { return platform::cp1251ToQString(cp1251Text); }

std::string InspectorLink::Cp1251(const QString& text) { return platform::qstringToCp1251(text); }

}  // namespace zo::configurator
