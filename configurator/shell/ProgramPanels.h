#pragma once
// The three editing panels the main window docks at start-up: the element
// library (TSourceForm), the project tree (TProjectForm) and the property
// inspector (TObjInspect, docked, with the floating one the kernel may ask
// for), with the links through which they reach the kernel. They are made
// right after the main window (hidden, children of it), handed the session at
// the first showing before KernelInit, docked after the command-line project
// opened, and released before the kernel is unbound.

#include "common/abi/LogProc.h"

#include <QPointer>

#include <memory>
#include <string>

class QWidget;

namespace zo::configurator {

class InspectorLink;
class ProjectTreeLink;
class SourceLink;
class TInspectorWindows;
class TObjInspect;
class TProgramFrame;
class TProjectForm;
class TProjectSession;
class TSourceForm;

class TProgramPanels {
public:
    TProgramPanels();
    ~TProgramPanels();
    TProgramPanels(const TProgramPanels&) = delete;
    TProgramPanels& operator=(const TProgramPanels&) = delete;

    // Makes the panels as hidden children of the window; nothing is bound yet. Once.
    void Create(QWidget& window);
    bool Created() const { return created_; }

    TSourceForm* SourceForm() const;
    TProjectForm* ProjectForm() const;
    TObjInspect* ObjInspect() const;
    TInspectorWindows& Inspectors() { return *inspectors_; }

    // The inspector's log; with a kernel, the session's record handed to the
    // element library, the inspector's base (the kernel's inspector record) and
    // its three callbacks, the typed dialogs of the dialogs library, and the
    // host slot GetProjectTree answering the project tree. Before KernelInit.
    void Attach(TProjectSession& session, TLogProc log);
    // The element library of the device the kernel names (after an open).
    void ReloadSource();
    // The element library emptied.
    void ClearSource();
    // The docked inspector forgets the replacement lists it read.
    void ClearReplacementLists();
    // The library and the tree docked into the left site, the replacement lists
    // of the Struct folder loaded when the kernel is bound, the inspector docked
    // into the right site.
    void Dock(TProgramFrame& frame);
    // The panels deleted, the callbacks forgotten, the links unbound; before
    // the kernel goes. Idempotent.
    void Release();

private:
    std::unique_ptr<SourceLink> sourceLink_;
    std::unique_ptr<ProjectTreeLink> treeLink_;
    std::unique_ptr<InspectorLink> inspectorLink_;
    std::unique_ptr<TInspectorWindows> inspectors_;
    TProjectSession* session_ = nullptr;
    QPointer<TSourceForm> source_;
    QPointer<TProjectForm> project_;
    QPointer<TObjInspect> inspector_;
    bool created_ = false;
};

}  // namespace zo::configurator
