#pragma once
// The options dialog's link to the kernel: the block descriptions of the
// options file (GetStructDescription) and the rows of a block through the
// kernel's structure accessors. Texts are Windows-1251.

#include "common/abi/KernelOptions.h"

#include <cstdint>
#include <string>

namespace zo::configurator {

class TProjectSession;

class TOptionsLink {
public:
    explicit TOptionsLink(TKernelOptions* record = nullptr) : record_(record) {}
    void setRecord(TKernelOptions* record) { record_ = record; }
    // The kernel the session holds now.
    void bind(const TProjectSession& session);
    bool bound() const { return record_ != nullptr; }

    // 0 when the description was loaded into the kernel's one shared description.
    int32_t GetStructDescription(const std::string& descriptionPath, void** structRef, int32_t* size) const;
    std::string GetStructName(const TStructInstance& instance) const;
    std::string GetStructCaption(const TStructInstance& instance) const;
    int32_t ItemCount(const TStructInstance& instance) const;
    std::string ItemCaption(const TStructInstance& instance, uint16_t index) const;
    std::string ItemName(const TStructInstance& instance, uint16_t index) const;
    std::string ItemValue(const TStructInstance& instance, uint16_t index) const;
    int32_t SetItemValue(const TStructInstance& instance, uint16_t index, const std::string& text) const;

private:
    TKernelOptions* record_;
};

}  // namespace zo::configurator
