#include "kernel/OptionBlocks.h"

#include "common/Struct.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <cstring>
#include <memory>

namespace zo::kernel {

static_assert(sizeof(KernelState::builderOptions) == kBuilderBlockSize);

namespace {

// Points a description at the host's conversion record and the kernel's log.
void prepare(TStruct& description) {
    description.ConvertOptions = Options().ConvertOptions;
    description.OnLog = KernelLog;
}

// A fresh description of an option block by element path; nil when it does
// not load or describes no record (a zero or unknown size).
std::unique_ptr<TStruct> loadBlockDescription(const char* descriptionPath) {
    auto description = std::make_unique<TStruct>();
    prepare(*description);
    if (description->LoadDescriptionByElementPath(descriptionPath) != 0) return nullptr;
    if (description->GetSize() <= 0) return nullptr;
    return description;
}

// The description of a block of that size, or nil: a block whose layout is
// not the described one is neither read nor written.
std::unique_ptr<TStruct> describedBlock(const char* descriptionPath, const char* valuePath, const void* block,
                                        int32_t size) {
    if (!descriptionPath || !valuePath || !block || size <= 0) return nullptr;
    std::unique_ptr<TStruct> description = loadBlockDescription(descriptionPath);
    if (!description || description->GetSize() != size) return nullptr;
    return description;
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t SaveOptionBlock(const char* descriptionPath, const char* valuePath, void* block, int32_t size) {
    const std::unique_ptr<zo::TStruct> description = describedBlock(descriptionPath, valuePath, block, size);
    if (!description) return kOptionBlockFailed;
    // The settings file is made when it is not there; one that is there
    // but does not parse is left as it is.
    if (description->WriteValuesToFile(block, valuePath) != 0) {
        Log(ZO_RU("Не удалось сохранить блок параметров ") + Q + valuePath + Q, kLogError);
        return kOptionBlockFailed;
    }
    return kOptionBlockDone;
}

extern "C" int32_t LoadOptionBlock(const char* descriptionPath, const char* valuePath, void* block, int32_t size) {
    const std::unique_ptr<zo::TStruct> description = describedBlock(descriptionPath, valuePath, block, size);
    if (!description) return kOptionBlockFailed;
    description->SetDefaults(block);
    return description->ReadValuesFromFile(block, valuePath) == 0 ? kOptionBlockDone : kOptionBlockFailed;
}

extern "C" int32_t GetStructDescription(const char* descriptionPath, void** structRef, int32_t* size) {
    if (!structRef || !size) return kOptionBlockFailed;
    *structRef = nullptr;
    *size = 0;
    if (!descriptionPath) return kOptionBlockFailed;
    KernelState& state = State();
    if (!state.sharedDescription) state.sharedDescription = new zo::TStruct;
    zo::TStruct& shared = *state.sharedDescription;
    prepare(shared);
    if (shared.LoadDescriptionByElementPath(descriptionPath) != 0) return kOptionDescriptionNotLoaded;
    *structRef = &shared;
    *size = shared.GetSize();
    return kOptionBlockDone;
}

extern "C" int32_t GetKernelOptionBlock(const char* name, void** data, int32_t* size, int32_t* reserved) {
    if (!name || !data || !size || !reserved) return kOptionBlockFailed;
    const struct {
        const char* name;
        void* block;
        int32_t size;
    } blocks[] = {{kBuilderBlockName, State().builderOptions, kBuilderBlockSize},
                  {kVisibleBlockName, &State().visibleOptions, int32_t(sizeof(TVisibleOptions))}};
    for (const auto& b : blocks) {
        if (std::strcmp(name, b.name) != 0) continue;
        *data = b.block;
        *size = b.size;
        *reserved = 0;
        return kOptionBlockDone;
    }
    return kOptionBlockFailed;
}
