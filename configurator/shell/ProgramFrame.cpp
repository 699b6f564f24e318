#include "configurator/shell/ProgramFrame.h"

#include "common/KroKernelConfig.h"
#include "configurator/shell/Options.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FrameSite.h"
#include "platform/Cp1251.h"
#include "platform/UiServices.h"

#include <QMainWindow>

#include <chrono>
#include <thread>

namespace zo::configurator {

TProgramFrame::TProgramFrame(QMainWindow& window) : QObject(&window), window_(window) {
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
        frame = new TCustomDockFormCep(&window_);
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

void TProgramFrame::LoadOptions() {
    if (!KernelOptionsPtr || !KernelOptionsPtr->LoadOptionBlock) return;
    const std::string options = OptionsFilePath();
    const std::string settings = SettingsPath();
    LoadOptionBlocks(options.c_str(), settings.c_str(), GetOptionBlock, KernelOptionsPtr->LoadOptionBlock);
}

void TProgramFrame::SaveOptions() {
    if (!KernelOptionsPtr || !KernelOptionsPtr->SaveOptionBlock) return;
    const std::string options = OptionsFilePath();
    const std::string settings = SettingsPath();
    SaveOptionBlocks(options.c_str(), settings.c_str(), GetOptionBlock, KernelOptionsPtr->SaveOptionBlock);
}

int TProgramFrame::OpenCommandLineProject(QString& folder, QString& name) {
    if (name.isEmpty() || !KernelOptionsPtr || !KernelOptionsPtr->OpenProject) return 1;
    TKernelOptions& k = *KernelOptionsPtr;
    const QString path = folder + name + kProjectExtension;
    const int r = k.OpenProject(platform::qstringToCp1251(path).c_str());
    if (r == 0) {
        const char* device = k.GetDeviceFilePath ? k.GetDeviceFilePath() : "";
        window_.setWindowTitle(ProjectCaption(folder, name, platform::cp1251ToQString(device ? device : "")));
        window_.setWindowIconText(name + kProjectExtension);
        return 0;
    }
    // The titles the project commands give a program without a project.
    if (k.CloseProject) k.CloseProject("");
    window_.setWindowTitle(QString::fromLatin1(kProgramCaption));
    window_.setWindowIconText("Configurator");
    folder.clear();
    name.clear();
    return r;
}

void TProgramFrame::Terminate(TLogProc log, const std::function<void()>& closeAllSchemeWindows) {
    if (terminated_) return;
    terminated_ = true;
    if (log) log("Terminate Application", 1);
    if (KernelOptionsPtr && KernelOptionsPtr->CloseProject) KernelOptionsPtr->CloseProject("");
    if (closeAllSchemeWindows) closeAllSchemeWindows();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool TProgramFrame::ConfirmProjectClose(const QString& projectFile) {
    if (TerminatedBySignal() || projectFile.isEmpty() || !KernelOptionsPtr) return true;
    if (!ProjectDiffersFromFile(projectFile)) return true;
    const std::string text = ZO_RU("Проект ") + "\"" + platform::qstringToCp1251(projectFile) + "\"" +
                             ZO_RU(" изменен. Сохранить изменения?");
    switch (platform::ask(text, ZO_RU("Сохранение проекта"), platform::Buttons::YesNoCancel)) {
    case platform::Answer::Yes:
        return KernelOptionsPtr->SaveProject &&
               KernelOptionsPtr->SaveProject(platform::qstringToCp1251(projectFile).c_str()) == 0;
    case platform::Answer::No:
        return true;
    default:
        return false;
    }
}

}  // namespace zo::configurator
