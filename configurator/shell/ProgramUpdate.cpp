#include "configurator/shell/ProgramUpdate.h"

#include "common/abi/ConnectOptions.h"
#include "configurator/link/KroConnect.h"
#include "configurator/link/KroLog.h"
#include "configurator/shell/MenuXml.h"
#include "configurator/shell/MessageDlgWithCaptions.h"
#include "configurator/shell/Options.h"
#include "platform/Web.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/WindowMessages.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QUrl>

#include <cstring>
#include <ctime>

namespace zo::configurator {

namespace {

constexpr char kProgramTarget[] = "Configurator";

template <size_t N>
void setField(char (&target)[N], const std::string& text) {
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(target, text.data(), n);
    std::memset(target + n, 0, N - n);
}

template <size_t N>
std::string field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

bool libraryUsable() {
    return ConnectOptionsPtr && ConnectOptionsPtr->GetSettings && ConnectOptionsPtr->SetSettings;
}

TConnectSettings fetchSettings() {
    TConnectSettings s{};
    ConnectOptionsPtr->GetSettings(&s);
    return s;
}

}  // namespace

double DaysSince1899(int64_t unixSeconds) {
    const time_t t = time_t(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    // The local clock reading taken as if it were UTC, then counted from 1899-12-30.
    std::tm asUtc = local;
    const int64_t localSeconds = int64_t(timegm(&asUtc));
    constexpr int64_t kEpochOffsetDays = 25569;  // 1899-12-30 .. 1970-01-01
    return double(kEpochOffsetDays) + double(localSeconds) / 86400.0;
}

TProgramUpdate::TProgramUpdate(TProjectSession& session, std::function<void(int, const QString&)> status, QObject* parent)
    : QObject(parent), session_(session), status_(std::move(status)) {
    token_ = platform::RegisterMessageWindow(this, [this](uint32_t message, intptr_t wParam, intptr_t) {
        if (message == kConnectNotifyMessage) UpdateComplit(wParam);
    });
    // Once the main window is up and the kernel knows the program folder.
    QTimer::singleShot(0, this, &TProgramUpdate::ReportResumedApply);
}

void TProgramUpdate::ReportResumedApply() {
    const std::string folder = session_.FolderText(KernelFolder::Program);
    if (!folder.empty() && platform::fileExists(folder + "\\Update\\apply.journal")) StartConnectSession();
}

void TProgramUpdate::TellResumedApply() {
    TConnectSettings s = fetchSettings();
    if (s.ResumedApply == kResumedNone) return;
    const std::string target = "\"" + field(s.ResumedTarget) + "\"";
    const bool finished = s.ResumedApply == kResumedFinished;
    const std::string text = finished ? ZO_RU("Прерванное обновление ") + target + ZO_RU(" завершено.")
                                      : ZO_RU("Прерванное обновление ") + target +
                                            ZO_RU(" отменено: восстановлены прежние файлы программы.");
    WriteLog(text.c_str(), finished ? kLogMilestone : kLogWarning);
    platform::showMessage(text, {}, finished ? platform::MessageKind::Information : platform::MessageKind::Warning);
    s.ResumedApply = kResumedNone;
    ConnectOptionsPtr->SetSettings(&s);
}

void TProgramUpdate::TellDownloadFailed(const TConnectSettings& s) {
    std::string why;
    if (s.ConnectError != 0) why = ZO_RU("нет соединения с источником обновлений.");
    else if (s.LastError == kDownloadRefused)
        why = ZO_RU("источник обновлений передал недопустимый файл или файл больше 512 МБ.");
    else why = ZO_RU("файл обновления не получен или не записан.");
    const std::string text = ZO_RU("Обновление ") + "\"" + field(s.TargetName) + "\"" + ZO_RU(" не загружено: ") + why;
    WriteLog(text.c_str(), kLogWarning);
    platform::showMessage(text, {}, platform::MessageKind::Warning);
}

TProgramUpdate::~TProgramUpdate() { platform::UnregisterMessageWindow(token_); }

std::string TProgramUpdate::UpdateListFile() const {
    const std::string folder = session_.FolderText(KernelFolder::Program);
    return folder.empty() ? std::string() : folder + "\\Update\\update.xml";
}

bool TProgramUpdate::StartConnectSession() {
    if (ConnectOptionsPtr) return libraryUsable();
    LoadConnectLibrary("\\system", qApp, nullptr, &WriteLog);
    if (!libraryUsable()) return false;
    TConnectSettings s = fetchSettings();
    s.WindowHandle = token_;
    s.NotifyMessage = kConnectNotifyMessage;
    const std::string folder = session_.FolderText(KernelFolder::Program);
    setField(s.ProgramFolder, folder);
    setField(s.UpdateFolder, folder.empty() ? std::string() : folder + "\\Update");
    setField(s.TargetName, kProgramTarget);
    s.AskDownload = 1;
    s.UpdateReady = 0;
    s.Proxy = ProgramOptionBlocks().Connect;
    ConnectOptionsPtr->Log = &WriteLog;
    ConnectOptionsPtr->SetSettings(&s);
    TellResumedApply();
    return true;
}

void TProgramUpdate::AddUpdateMenu(QMenu* menu) {
    if (!menu || !StartConnectSession()) return;
    const std::string list = UpdateListFile();
    if (!list.empty() && UpdateMenuExists(list)) {
        if (!menu->actions().isEmpty()) menu->addSeparator();
        QMenu* updates = menu->addMenu(QString::fromUtf8("Обновить"));
        updates->setObjectName("UpdateMenu");
        LoadUpdateMenu(list, updates, [this](QAction* item) { UpdateClick(item); });
        QAction* show = menu->addAction(QString::fromUtf8("Структура обновления"), this,
                                        &TProgramUpdate::OpenUpdateXMLClick);
        show->setObjectName("OpenUpdateXML");
    } else {
        QAction* update = menu->addAction(QString::fromUtf8("Обновить Orvanta Configurator"), this,
                                          &TProgramUpdate::UpdateConfiguratorClick);
        update->setObjectName("UpdateConfigurator");
    }
}

void TProgramUpdate::StartTarget(const std::string& target) {
    TConnectSettings s = fetchSettings();
    setField(s.TargetName, target);
    s.AskDownload = 1;
    s.UpdateReady = 0;
    ConnectOptionsPtr->SetSettings(&s);
    if (ConnectOptionsPtr->StartDownload) ConnectOptionsPtr->StartDownload();
}

void TProgramUpdate::UpdateConfiguratorClick() {
    if (StartConnectSession()) StartTarget(kProgramTarget);
}

void TProgramUpdate::UpdateClick(QAction* sender) {
    const int tag = sender ? MenuItemTag(sender) : -1;
    if (tag == -1 || !StartConnectSession()) return;
    // The entry the item showed, even when the list was rewritten since.
    std::string name;
    const QVariant kept = sender->property(kUpdateEntryProperty);
    if (kept.isValid())
        name = platform::qstringToCp1251(kept.toString());
    else
        GetUpdateEntryName(UpdateListFile(), tag, &name);
    if (!name.empty()) StartTarget(name);
}

void TProgramUpdate::OpenUpdateXMLClick() {
    const std::string list = UpdateListFile();
    if (list.empty()) return;
    platform::OpenUrlInBrowser(QUrl::fromLocalFile(QString::fromStdString(platform::nativePath(list))).toString());
}

void TProgramUpdate::UpdateComplit(intptr_t kind) {
    // A notice that comes while a question is open is not asked about again:
    // the open question's answer acts on the library's state.
    if (asking_) return;
    if (!StartConnectSession()) return;
    TConnectSettings s = fetchSettings();
    bool downloadStarted = false;
    if (kind == kConnectOperationEnded) {
        if (s.ConnectError != 0) {
            s.ConnectState = 0;
            if (status_) status_(3, QString::fromUtf8("нет соеденения"));
            WriteLog(ZO_RU("Отсутствует соединения с интернетом.").c_str(), kLogWarning);
        } else {
            const std::string target = field(s.TargetName);
            std::string info = field(s.UpdateInfo);
            if ((s.UpdateAvailable1 != 0 || s.UpdateAvailable2 != 0) && s.AskDownload != 0) {
                asking_ = true;
                const int answer = MessageDlgWithCaptions(
                    ZO_RU("Доступно обновление ") + "\"" + target + "\"\n\r" + info + "\n\r" +
                        ZO_RU("загрузить обновление?"),
                    ZO_RU("Загрузить обновление программы?"), TMsgDlgType::mtCustom, ZO_RU("да,нет"),
                    DlgButton(mbYes) | DlgButton(mbNo));
                asking_ = false;
                if (answer == mrYes && libraryUsable()) {
                    s.AskDownload = 0;
                    s.UpdateReady = 0;
                    ConnectOptionsPtr->SetSettings(&s);
                    if (ConnectOptionsPtr->StartDownload) ConnectOptionsPtr->StartDownload();
                    downloadStarted = true;
                }
            }
            if (!downloadStarted && s.AskDownload == 0 && s.UpdateReady != 0) {
                if (info.size() > 255) info.resize(255);
                asking_ = true;
                const int answer = MessageDlgWithCaptions(
                    info + "\n\r" + ZO_RU("применить обновление?"), ZO_RU("Применить обновление программы?"),
                    TMsgDlgType::mtCustom, ZO_RU("да,нет"), DlgButton(mbYes) | DlgButton(mbNo));
                asking_ = false;
                if (answer == mrYes && libraryUsable() && ConnectOptionsPtr->ApplyUpdate) {
                    const int32_t applied = ConnectOptionsPtr->ApplyUpdate(s.TargetName, s.ProgramFolder, s.UpdateFolder);
                    // The library's own fields changed with the apply: continue from them.
                    const uint8_t connectState = s.ConnectState;
                    s = fetchSettings();
                    s.ConnectState = connectState;
                    if (applied == kApplyOk) {
                        platform::showMessage(ZO_RU("Обновление программы будут") + "\n\r" +
                                              ZO_RU("доступны после перезапуска") + "\n\r" + ZO_RU("программы."));
                        const double now = DaysSince1899(int64_t(std::time(nullptr)));
                        std::memcpy(ProgramOptionBlocks().Update + 8, &now, sizeof now);
                    } else {
                        const std::string text = ZO_RU("Обновление ") + "\"" + target + "\"" + ZO_RU(" не применено.");
                        WriteLog(text.c_str(), kLogWarning);
                        platform::showMessage(text, {}, platform::MessageKind::Warning);
                    }
                }
            }
        }
    }
    // A download the user asked for that ended without an update to apply.
    if (kind == kConnectOperationEnded && !downloadStarted && s.AskDownload == 0 && s.UpdateReady == 0 &&
        (s.ConnectError != 0 || s.LastError != 0))
        TellDownloadFailed(s);
    // After a download has started the library's worker owns the settings:
    // handing the record of before back would undo what it sets.
    if (!downloadStarted && libraryUsable()) ConnectOptionsPtr->SetSettings(&s);
}

}  // namespace zo::configurator
