#include "configurator/link/PanelLinks.h"

#include "common/abi/KernelOptions.h"
#include "configurator/link/InspectorLink.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/ProjectTreeLink.h"
#include "configurator/link/SourceLink.h"

namespace zo::configurator {

void AttachPanelLinks(const TProjectSession& session, SourceLink& source, ProjectTreeLink& tree,
                      InspectorLink& inspector, InspectorHandlers handlers, TLogProc log) {
    TKernelOptions* kernel = session.Record();
    if (!kernel) return;
    source.SetKernel(kernel);
    inspector.SetRecord(&kernel->Inspector);
    inspector.SetDialogOpener(InspectorLink::DialogsLibraryOpener(log));
    InstallInspectorCallbacks(kernel->Inspector, std::move(handlers));
    tree.SetKernel(kernel);
    tree.InstallHostSlot();
}

void DetachPanelLinks(SourceLink& source, ProjectTreeLink& tree, InspectorLink& inspector) {
    source.SetKernel(nullptr);
    tree.SetKernel(nullptr);
    inspector.SetRecord(nullptr);
    inspector.SetDialogOpener({});
}

}  // namespace zo::configurator
