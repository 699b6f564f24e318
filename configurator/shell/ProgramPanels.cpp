#include "configurator/shell/ProgramPanels.h"

#include "configurator/link/InspectorCallbacks.h"
#include "configurator/link/InspectorLink.h"
#include "configurator/link/PanelLinks.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/ProjectTreeLink.h"
#include "configurator/link/SourceLink.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FrameSite.h"
#include "configurator/windows/InspectorWindows.h"
#include "configurator/windows/ObjInspect.h"
#include "configurator/windows/ProjectForm.h"
#include "configurator/windows/SourceForm.h"

#include <QMainWindow>
#include <QWidget>

#include <algorithm>

namespace zo::configurator {

TProgramPanels::TProgramPanels()
    : sourceLink_(std::make_unique<SourceLink>()), treeLink_(std::make_unique<ProjectTreeLink>()),
      inspectorLink_(std::make_unique<InspectorLink>()), inspectors_(std::make_unique<TInspectorWindows>()) {}

TProgramPanels::~TProgramPanels() { Release(); }

void TProgramPanels::Create(QWidget& window) {
    if (created_) return;
    created_ = true;
    source_ = new TSourceForm(*sourceLink_, &window);
    project_ = new TProjectForm(*treeLink_, &window);
    inspector_ = new TObjInspect(*inspectorLink_, 0, &window);
    for (QWidget* panel : {static_cast<QWidget*>(source_), static_cast<QWidget*>(project_),
                           static_cast<QWidget*>(inspector_)})
        panel->hide();
}

TSourceForm* TProgramPanels::SourceForm() const { return source_; }
TProjectForm* TProgramPanels::ProjectForm() const { return project_; }
TObjInspect* TProgramPanels::ObjInspect() const { return inspector_; }

void TProgramPanels::Attach(TProjectSession& session, TLogProc log) {
    if (inspector_) inspector_->OnLog = log;
    if (!session.Bound()) return;
    session_ = &session;
    inspectors_->SetDocked(inspector_, inspectorLink_.get());
    AttachPanelLinks(session, *sourceLink_, *treeLink_, *inspectorLink_, inspectors_->Handlers(), log);
}

void TProgramPanels::ReloadSource() {
    if (!session_ || !source_) return;
    const std::string device = sourceLink_->DeviceFilePath();
    if (!device.empty()) source_->ReloadSource(device);
}

void TProgramPanels::ClearSource() {
    if (source_) source_->ClearSourceForm();
}

void TProgramPanels::ClearReplacementLists() {
    if (inspector_) inspector_->ClearReplacementLists();
}

void TProgramPanels::Dock(TProgramFrame& frame) {
    if (source_) frame.DockPanel(source_, frame.FrameSiteLeft);
    if (project_) frame.DockPanel(project_, frame.FrameSiteLeft);
    if (session_ && inspector_) {
        std::string folder = session_->FolderText(KernelFolder::Struct);
        while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        if (!folder.empty()) inspector_->LoadReplacementLists(folder);
    }
    if (inspector_) frame.DockPanel(inspector_, frame.FrameSiteRight);
    // The sites open at their saved sizes, the library above the tree taking a little more.
    for (TFrameSite* site : {frame.FrameSiteLeft, frame.FrameSiteRight})
        site->SetSize(QSize(site->SavedWidth, site->SavedHeight));
    TCustomDockFormEx* library = source_ ? frame.FrameOf(source_) : nullptr;
    TCustomDockFormEx* tree = project_ ? frame.FrameOf(project_) : nullptr;
    if (library && tree) {
        QMainWindow* window = frame.FrameSiteLeft->Window();
        const int height = std::max(window->height(), 200);
        window->resizeDocks({library, tree}, {height * 11 / 20, height * 9 / 20}, Qt::Vertical);
    }
}

void TProgramPanels::Release() {
    // The kernel may still call the inspector's callbacks and ask for the tree
    // while it closes: they answer that nothing is there.
    RemoveInspectorCallbacks();
    inspectors_->DestroyFloating();
    inspectors_->SetDocked(nullptr, nullptr);
    // Each panel goes with the frame it was docked in.
    for (QWidget* panel : {static_cast<QWidget*>(source_), static_cast<QWidget*>(project_),
                           static_cast<QWidget*>(inspector_)}) {
        if (!panel) continue;
        if (auto* frame = qobject_cast<TCustomDockFormEx*>(panel->parentWidget())) delete frame;
        else delete panel;
    }
    DetachPanelLinks(*sourceLink_, *treeLink_, *inspectorLink_);
    session_ = nullptr;
}

}  // namespace zo::configurator
