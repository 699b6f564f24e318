#pragma once
// The inspector's host callbacks of the kernel record (RepaintInspector,
// ShowElementProperties, ReplaceElementProperties): C trampolines that the
// kernel calls, each passing on to the handler the inspector windows installed.
// A callback without a handler answers -1 (nothing to show in).

#include "common/abi/KernelOptions.h"

#include <functional>

namespace zo::configurator {

struct InspectorHandlers {
    std::function<void()> repaint;
    std::function<int32_t(const char* caption, int32_t count, const TStructInstance* items,
                          TPropertiesChangedProc onChange, int32_t left, int32_t top, int32_t right, int32_t bottom)>
        show;
    std::function<int32_t(const char* caption, int32_t count, const TStructInstance* items,
                          TPropertiesChangedProc onChange)>
        replace;
};

// Writes the three trampolines into the record and keeps the handlers.
void InstallInspectorCallbacks(TInspectorRecord& record, InspectorHandlers handlers);
// Forgets the handlers (the trampolines stay and answer -1).
void RemoveInspectorCallbacks();

}  // namespace zo::configurator
