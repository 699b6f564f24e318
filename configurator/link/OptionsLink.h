#pragma once
// The options dialog's link to the kernel: the block descriptions of the
// options file (GetStructDescription), the inspector record through which the
// dialog's inspector reads and writes a block's rows, and the typed dialogs
// of the dialogs library it offers for a row. Texts are Windows-1251.

#include "common/abi/KernelOptions.h"
#include "configurator/link/InspectorLink.h"

#include <cstdint>
#include <string>

namespace zo::configurator {

class TProjectSession;

// An option block by its structure name: its data, its size, Reserved; 0 when known.
using TOptionBlockLookup = int32_t (*)(const char* name, void** data, int32_t* size, int32_t* reserved);

class TOptionsLink {
public:
    explicit TOptionsLink(TKernelOptions* record = nullptr) : record_(record) {}
    void SetRecord(TKernelOptions* record) { record_ = record; }
    // The kernel the session holds now.
    void Bind(const TProjectSession& session);
    bool Bound() const { return record_ != nullptr; }

    // 0 when the description was loaded into the kernel's one shared description.
    int32_t GetStructDescription(const std::string& descriptionPath, void** structRef, int32_t* size) const;
    // The kernel's inspector record (nil while no kernel is bound).
    TInspectorRecord* InspectorRecord() const { return record_ ? &record_->Inspector : nullptr; }

    // The typed dialogs a row may offer ("..."); none unless set.
    void SetDialogOpener(InspectorLink::DialogOpener opener) { dialogs_ = std::move(opener); }
    const InspectorLink::DialogOpener& DialogOpener() const { return dialogs_; }

private:
    TKernelOptions* record_;
    InspectorLink::DialogOpener dialogs_;
};

}  // namespace zo::configurator
