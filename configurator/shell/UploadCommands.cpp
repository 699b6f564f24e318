#include "configurator/shell/UploadCommands.h"

#include "common/abi/LogsOptions.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/HostSlots.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/BuildCommand.h"
#include "platform/Web.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/Paths.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QUrl>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

namespace zo::configurator {

namespace {

const char kQ = '"';
const char kConfigLog[] = "CreateConfig.log";

void log(const std::string& text, uint8_t level) { WriteLog(text.c_str(), level); }

QString withSeparator(QString folder) {
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

// The program file of a process; empty when it cannot be read (another
// user's process, a zombie, a kernel thread).
std::string exeOf(pid_t pid) {
    char buffer[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string exe(buffer, size_t(n));
    // A program file replaced while it runs is named with this mark.
    const std::string deleted = " (deleted)";
    if (exe.size() > deleted.size() && exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0)
        exe.resize(exe.size() - deleted.size());
    return exe;
}

// Running and not yet reaped as a zombie.
bool alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z' && text[close + 2] != 'X';
}

std::vector<pid_t> processes() {
    std::vector<pid_t> list;
    DIR* proc = ::opendir("/proc");
    if (!proc) return list;
    while (dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end && *end == 0 && pid > 0) list.push_back(pid_t(pid));
    }
    ::closedir(proc);
    return list;
}

}  // namespace

QRect ConfigLogWindowRect(QSize client) {
    const int w = std::clamp(int(std::lround(0.6 * client.width())), 250, 1000);
    const int h = std::clamp(int(std::lround(0.6 * client.height())), 200, 700);
    const int left = (client.width() - w) / 2;
    const int top = (client.height() - h) / 2;
    return QRect(QPoint(left, top), QSize(w, h));
}

int StopUploadPrograms(const QString& uploadFolder, std::chrono::milliseconds grace) {
    // The program files of /proc name the folder with its links resolved.
    const QString canonical = QFileInfo(uploadFolder).canonicalFilePath();
    const std::string folder = withSeparator(canonical.isEmpty() ? uploadFolder : canonical).toStdString();
    const pid_t self = ::getpid();
    std::vector<std::pair<pid_t, std::string>> ended;
    for (pid_t pid : processes()) {
        if (pid == self) continue;
        const std::string exe = exeOf(pid);
        if (exe.size() <= folder.size() || exe.compare(0, folder.size(), folder) != 0) continue;
        if (exe.find('/', folder.size()) != std::string::npos) continue;  // a sub-folder's program stays
        if (::kill(pid, SIGTERM) == 0) ended.emplace_back(pid, exe);
    }
    const auto deadline = std::chrono::steady_clock::now() + grace;
    for (const auto& [pid, exe] : ended) {
        while (alive(pid) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (alive(pid)) ::kill(pid, SIGKILL);
        log(ZO_RU("Остановлено : ") + platform::qstringToCp1251(QString::fromStdString(exe)), LogLevel::Information);
    }
    return int(ended.size());
}

TStartCommand ReadStartScript(const QString& uploadFolder) {
    TStartCommand command;
    QFile file(withSeparator(uploadFolder) + "autoexec.bat");
    if (!file.open(QIODevice::ReadOnly)) return command;
    const QString line = platform::cp1251ToQString(file.readLine(4096).toStdString()).trimmed();
    QStringList words = line.split(' ', Qt::SkipEmptyParts);
    if (!words.isEmpty() && words.first().compare("start", Qt::CaseInsensitive) == 0) words.removeFirst();
    if (words.isEmpty()) return command;
    QString program = words.takeFirst();
    if (program.contains('/') || program.contains('\\') || program == "." || program == "..") return command;
    QString path = withSeparator(uploadFolder) + program;
    if (!QFileInfo(path).isFile() && program.endsWith(".exe", Qt::CaseInsensitive))
        path.chop(4);  // "<name>.exe" is the file <name> here
    command.program = path;
    command.arguments = words;
    return command;
}

int StartUploadProgram(const QString& uploadFolder, pid_t* pid) {
    const TStartCommand command = ReadStartScript(uploadFolder);
    if (command.program.isEmpty() || !QFileInfo(command.program).isFile()) return 2;
    qint64 started = 0;
    if (!QProcess::startDetached(command.program, command.arguments, uploadFolder, &started)) return 31;
    if (pid) *pid = pid_t(started);
    return 42;
}

TUploadCommands::TUploadCommands(TProjectSession& session, TActions& actions, IHostServices& host,
                                 TBuildCommand& build, QWidget& window)
    : QObject(&window), session_(session), host_(host), window_(window),
      build_([&build] { return build.ProjectUploadExecute(); }) {
    setObjectName("UploadCommands");
    actions.ConnectAll<TUploadCommands>(this, {
        {ActionId::ProjectCreateCFG, &TUploadCommands::ProjectCreateCFGExecute},
        {ActionId::ProjectOpenUpload, &TUploadCommands::ProjectOpenUploadExecute},
        {ActionId::ProjectRunUpload, &TUploadCommands::ProjectRunUploadExecute},
        {ActionId::ProjectStopUpload, &TUploadCommands::ProjectStopUploadExecute},
        {ActionId::ReginSelect, &TUploadCommands::ReginSelectExecute},
        {ActionId::RegimSoeden, &TUploadCommands::RegimSoedenExecute},
        {ActionId::RegimDebug, &TUploadCommands::RegimDebugExecute},
    });
}

QString TUploadCommands::programFolder() const { return session_.FolderPath(KernelFolder::Program); }

void TUploadCommands::ProjectCreateCFGExecute() {
    if (!session_.bound()) return;
    const QString p = programFolder();
    QFileDialog dialog(&window_, QString::fromUtf8("Сохранение конфигурации"), withSeparator(p) + "Configuration/");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("Configuration (*.cfg)");
    dialog.setDefaultSuffix("cfg");
    dialog.selectFile(session_.Name() + ".cfg");
    const bool chosen = platform::runDialog(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (chosen) {
        QDir::setCurrent(p);
        const std::string path = platform::qstringToCp1251(dialog.selectedFiles().first());
        if (LogsOptionsPtr && LogsOptionsPtr->ClearLog && LogsOptionsPtr->ShowLogWindow) {
            auto* main = qobject_cast<QMainWindow*>(&window_);
            QWidget* client = main && main->centralWidget() ? main->centralWidget() : &window_;
            const QRect r = ConfigLogWindowRect(client->size());
            LogsOptionsPtr->ClearLog(kConfigLog);
            LogsOptionsPtr->ShowLogWindow(kConfigLog, r.left(), r.top(), r.left() + r.width(), r.top() + r.height(),
                                          1);
        }
        if (session_.CreateConfigFile(path, kConfigLog, nullptr) == SessionResult::Done)
            log(ZO_RU("Создан файл конфигурации ") + kQ + path + kQ, LogLevel::Milestone);
    }
    QDir::setCurrent(p);
}

void TUploadCommands::ProjectOpenUploadExecute() {
    const QString upload = session_.FolderPath(KernelFolder::Upload);
    if (upload.isEmpty()) return;
    platform::OpenUrlInBrowser(QUrl::fromLocalFile(upload).toString());
}

void TUploadCommands::ProjectRunUploadExecute() {
    const QString p = programFolder();
    if (!session_.bound() || p.isEmpty()) return;  // no program folder: no upload folder to run from
    const QString upload = withSeparator(p) + "Upload/";
    StopUploadPrograms(upload, grace_);
    const bool built = build_ ? build_() : session_.BuildProjectFolder(kConfigLog) == SessionResult::Done;
    if (!built) {
        // Never start what an earlier build left in the folder.
        log(ZO_RU("Запуск ") + kQ + "Upload\\autoexec.bat" + kQ + ZO_RU(" отменен: проект не собран"), LogLevel::Error);
        QDir::setCurrent(p);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    pid_t pid = 0;
    const int result = StartUploadProgram(upload, &pid);
    if (result > 32) started_ = pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    QDir::setCurrent(p);
    log(ZO_RU("Запуск ") + kQ + "Upload\\autoexec.bat" + kQ + "  Result=" + std::to_string(result),
        LogLevel::Milestone);
    const int mode = session_.Mode();
    if (mode >= 0 && mode != int(KernelMode::Debug)) session_.SetMode(KernelMode::Debug);
    host_.UpdateActionStates();
}

void TUploadCommands::ProjectStopUploadExecute() {
    if (!session_.bound()) return;
    if (session_.Mode() == int(KernelMode::Debug)) session_.SetMode(KernelMode::Select);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const QString p = programFolder();
    if (p.isEmpty()) return;  // never "/Upload/"
    StopUploadPrograms(withSeparator(p) + "Upload/", grace_);
    QDir::setCurrent(p);
    host_.UpdateActionStates();
}

void TUploadCommands::setMode(KernelMode mode) {
    session_.SetMode(mode);
    host_.UpdateActionStates();
}

void TUploadCommands::ReginSelectExecute() { setMode(KernelMode::Select); }
void TUploadCommands::RegimSoedenExecute() { setMode(KernelMode::Connect); }
void TUploadCommands::RegimDebugExecute() { setMode(KernelMode::Debug); }

}  // namespace zo::configurator
