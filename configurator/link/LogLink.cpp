#include "configurator/link/LogLink.h"

#include "configurator/link/KroLog.h"

namespace zo::configurator {

int TLogLink::Render(TLogView& view, const QImage*& picture) const {
    picture = nullptr;
    if (!Bound()) return -1;
    void* graphic = nullptr;
    const int result = record_->RenderLogView(&view, &graphic);
    picture = static_cast<const QImage*>(graphic);
    return result;
}

TLogLink& ProgramLogLink() {
    static TLogLink link(LogsOptionsPtr);
    return link;
}

}  // namespace zo::configurator
