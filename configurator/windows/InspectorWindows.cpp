#include "configurator/windows/InspectorWindows.h"

#include "configurator/windows/ObjInspect.h"

namespace zo::configurator {

TInspectorWindows::~TInspectorWindows() { DestroyFloating(); }

void TInspectorWindows::SetDocked(TObjInspect* docked, InspectorLink* link) {
    docked_ = docked;
    link_ = link;
}

void TInspectorWindows::DestroyFloating() {
    delete floating_.data();
    floating_ = nullptr;
}

InspectorHandlers TInspectorWindows::Handlers() {
    InspectorHandlers h;
    h.repaint = [this] {
        if (docked_) docked_->RepaintInspector();
    };
    h.show = [this](const char* caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc onChange,
                    int32_t left, int32_t top, int32_t right, int32_t bottom) {
        return Show(caption, count, items, onChange, left, top, right, bottom);
    };
    h.replace = [this](const char* caption, int32_t count, const TStructInstance* items,
                       TPropertiesChangedProc onChange) {
        return docked_ ? docked_->ReplaceElementProperties(caption, count, items, onChange) : -1;
    };
    return h;
}

int32_t TInspectorWindows::Show(const char* caption, int32_t count, const TStructInstance* items,
                                TPropertiesChangedProc onChange, int32_t left, int32_t top, int32_t right,
                                int32_t bottom) {
    if (!floating_ && link_) {
        floating_ = new TObjInspect(*link_, 1, nullptr);
        floating_->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
        floating_->setObjectName("ElementProperties");
        // It logs where the docked one does (a refused value, the lists it loads).
        if (docked_) floating_->OnLog = docked_->OnLog;
    }
    if (!floating_) return -1;
    return floating_->ShowElementProperties(caption, count, items, onChange, left, top, right, bottom);
}

}  // namespace zo::configurator
