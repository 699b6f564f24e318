#include "configurator/link/OptionsLink.h"

#include "configurator/link/ProjectSession.h"

namespace zo::configurator {

void TOptionsLink::bind(const TProjectSession& session) { record_ = session.record(); }

namespace {

std::string textOf(const char* value) { return value ? std::string(value) : std::string(); }

}  // namespace

int32_t TOptionsLink::GetStructDescription(const std::string& descriptionPath, void** structRef, int32_t* size) const {
    if (!record_ || !record_->GetStructDescription) return -1;
    return record_->GetStructDescription(descriptionPath.c_str(), structRef, size);
}

std::string TOptionsLink::GetStructName(const TStructInstance& instance) const {
    if (!record_ || !record_->StructAccess.GetStructName) return {};
    return textOf(record_->StructAccess.GetStructName(&instance));
}

std::string TOptionsLink::GetStructCaption(const TStructInstance& instance) const {
    if (!record_ || !record_->StructAccess.GetStructCaption) return {};
    return textOf(record_->StructAccess.GetStructCaption(&instance));
}

int32_t TOptionsLink::ItemCount(const TStructInstance& instance) const {
    if (!record_ || !record_->StructAccess.GetStructItemCount) return 0;
    return record_->StructAccess.GetStructItemCount(&instance);
}

std::string TOptionsLink::ItemCaption(const TStructInstance& instance, uint16_t index) const {
    if (!record_ || !record_->StructAccess.GetStructItemCaption) return {};
    return textOf(record_->StructAccess.GetStructItemCaption(&instance, index));
}

std::string TOptionsLink::ItemName(const TStructInstance& instance, uint16_t index) const {
    if (!record_ || !record_->StructAccess.GetStructItemName) return {};
    return textOf(record_->StructAccess.GetStructItemName(&instance, index));
}

std::string TOptionsLink::ItemValue(const TStructInstance& instance, uint16_t index) const {
    if (!record_ || !record_->StructAccess.GetStructItemValue) return {};
    return textOf(record_->StructAccess.GetStructItemValue(&instance, index));
}

int32_t TOptionsLink::SetItemValue(const TStructInstance& instance, uint16_t index, const std::string& text) const {
    if (!record_ || !record_->StructAccess.SetStructItemValue) return -1;
    return record_->StructAccess.SetStructItemValue(&instance, index, text.c_str());
}

}  // namespace zo::configurator
