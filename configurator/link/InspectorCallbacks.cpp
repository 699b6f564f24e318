#include "configurator/link/InspectorCallbacks.h"

namespace zo::configurator {

namespace {

InspectorHandlers& handlers() {
    static InspectorHandlers installed;
    return installed;
}

extern "C" void RepaintInspectorTrampoline() {
    if (handlers().repaint) handlers().repaint();
}

extern "C" int32_t ShowElementPropertiesTrampoline(const char* caption, int32_t count, const TStructInstance* items,
                                                   TPropertiesChangedProc onChange, int32_t left, int32_t top,
                                                   int32_t right, int32_t bottom) {
    return handlers().show ? handlers().show(caption, count, items, onChange, left, top, right, bottom) : -1;
}

extern "C" int32_t ReplaceElementPropertiesTrampoline(const char* caption, int32_t count,
                                                      const TStructInstance* items, TPropertiesChangedProc onChange) {
    return handlers().replace ? handlers().replace(caption, count, items, onChange) : -1;
}

}  // namespace

void InstallInspectorCallbacks(TInspectorRecord& record, InspectorHandlers installed) {
    handlers() = std::move(installed);
    record.RepaintInspector = RepaintInspectorTrampoline;
    record.ShowElementProperties = ShowElementPropertiesTrampoline;
    record.ReplaceElementProperties = ReplaceElementPropertiesTrampoline;
}

void RemoveInspectorCallbacks() { handlers() = InspectorHandlers(); }

}  // namespace zo::configurator
