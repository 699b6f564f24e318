#include "configurator/shell/ProgramFrame.h"

#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Options.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FrameSite.h"
#include "platform/Cp1251.h"
#include "platform/UiServices.h"

#include <QMainWindow>

#include <chrono>
#include <thread>

namespace zo::configurator {

TProgramFrame::TProgramFrame(QMainWindow& window, TFloatTreeCep& floatTree)
    : QObject(&window), window_(window), floatTree_(floatTree) {
    setObjectName("ProgramFrame");
    FrameSiteLeft = new TFrameSite(&window, Qt::LeftDockWidgetArea, QSize(240, 400), "FrameSiteLeft");
    FrameSiteRight = new TFrameSite(&window, Qt::RightDockWidgetArea, QSize(280, 400), "FrameSiteRight");
    FrameSiteBottom = new TFrameSite(&window, Qt::BottomDockWidgetArea, QSize(600, 150), "FrameSiteBottom");
    for (TFrameSite* site : {FrameSiteLeft, FrameSiteRight, FrameSiteBottom}) site->SetFloatFormKind(1);
    window.setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    window.setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
}

TCustomDockFormEx* TProgramFrame::DockPanel(QWidget* panel, TFrameSite* site) {
    if (!panel || !site) return nullptr;
    TCustomDockFormEx* frame = FrameOf(panel);
    if (!frame) {
        frame = new TCustomDockFormCep(floatTree_, &window_);
        frame->setObjectName(panel->objectName().isEmpty() ? QString("DockFrame") : panel->objectName() + "Frame");
        frame->AddDockClient(panel);
    }
    site->Dock(frame);
    panel->show();
    return frame;
}

TCustomDockFormEx* TProgramFrame::FrameOf(const QWidget* panel) const {
    for (TCustomDockFormEx* frame : window_.findChildren<TCustomDockFormEx*>())
        if (frame->widget() == panel) return frame;
    return nullptr;
}

void TProgramFrame::LoadOptions(const TProjectSession& session) {
    if (!session.LoadOptionBlockSlot()) return;
    const std::string options = OptionsFilePath(session);
    const std::string settings = SettingsPath(session);
    LoadOptionBlocks(options.c_str(), settings.c_str(), GetOptionBlock, session.LoadOptionBlockSlot());
    HandVisibleOptionsToKernel(session);
}

void TProgramFrame::SaveOptions(const TProjectSession& session) {
    if (!session.SaveOptionBlockSlot()) return;
    const std::string options = OptionsFilePath(session);
    const std::string settings = SettingsPath(session);
    SaveOptionBlocks(options.c_str(), settings.c_str(), GetOptionBlock, session.SaveOptionBlockSlot());
}

void TProgramFrame::Terminate(TLogProc log, TProjectSession& session,
                              const std::function<void()>& closeAllSchemeWindows) {
    if (terminated_) return;
    terminated_ = true;
    if (log) log("Terminate Application", 1);
    session.CloseForExit();
    if (closeAllSchemeWindows) closeAllSchemeWindows();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace zo::configurator
