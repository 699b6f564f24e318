#pragma once
// The property inspectors the kernel fills through its three inspector
// callbacks: the docked one (its rows replaced and repainted) and the
// floating one, made on the first request to show a record at a place, with
// the docked inspector's link. The owner of the panels holds one of these.

#include "configurator/link/InspectorCallbacks.h"

#include <QPointer>

#include <memory>

class QWidget;

namespace zo::configurator {

class InspectorLink;
class TObjInspect;

class TInspectorWindows {
public:
    TInspectorWindows() = default;
    ~TInspectorWindows();
    TInspectorWindows(const TInspectorWindows&) = delete;
    TInspectorWindows& operator=(const TInspectorWindows&) = delete;

    // The docked inspector (nil: none) and the link a floating one is made with.
    void SetDocked(TObjInspect* docked, InspectorLink* link);
    TObjInspect* Docked() const { return docked_; }
    TObjInspect* Floating() const { return floating_; }
    // The three callbacks bound to these windows, for InstallInspectorCallbacks.
    InspectorHandlers Handlers();
    void DestroyFloating();

private:
    int32_t Show(const char* caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc onChange,
                 int32_t left, int32_t top, int32_t right, int32_t bottom);

    QPointer<TObjInspect> docked_;
    QPointer<TObjInspect> floating_;
    InspectorLink* link_ = nullptr;
};

}  // namespace zo::configurator
