#include "configurator/link/PanelLinks.h"

#include "common/abi/KernelOptions.h"
#include "configurator/link/InspectorLink.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/ProjectTreeLink.h"
#include "configurator/link/SourceLink.h"

namespace zo::configurator {

void AttachPanelLinks(const TProjectSession& session, SourceLink& source, ProjectTreeLink& tree,
                      InspectorLink& inspector, InspectorHandlers handlers, TLogProc log) {
    TKernelOptions* kernel = session.record();
    if (!kernel) return;
    source.setKernel(kernel);
    inspector.setRecord(&kernel->Inspector);
    inspector.setDialogOpener(InspectorLink::DialogsLibraryOpener(log));
    InstallInspectorCallbacks(kernel->Inspector, std::move(handlers));
    tree.setKernel(kernel);
    tree.installHostSlot();
}

void DetachPanelLinks(SourceLink& source, ProjectTreeLink& tree, InspectorLink& inspector) {
    source.setKernel(nullptr);
    tree.setKernel(nullptr);
    inspector.setRecord(nullptr);
    inspector.setDialogOpener({});
}

}  // namespace zo::configurator
