#pragma once
// The editing panels' links bound to the session's kernel record, and unbound
// again before the kernel goes.

#include "common/abi/LogProc.h"
#include "configurator/link/InspectorCallbacks.h"

namespace zo::configurator {

class InspectorLink;
class ProjectTreeLink;
class SourceLink;
class TProjectSession;

// The element library's link, the inspector's record and dialogs and its three
// callbacks, the project tree and the host slot GetProjectTree answering it.
void AttachPanelLinks(const TProjectSession& session, SourceLink& source, ProjectTreeLink& tree,
                      InspectorLink& inspector, InspectorHandlers handlers, TLogProc log);
// The links unbound (the inspector callbacks are forgotten first, with
// RemoveInspectorCallbacks, before the panels go).
void DetachPanelLinks(SourceLink& source, ProjectTreeLink& tree, InspectorLink& inspector);

}  // namespace zo::configurator
