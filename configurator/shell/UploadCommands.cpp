#include "configurator/shell/UploadCommands.h"

#include "common/CommandLine.h"
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
#include <QUrl>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

extern char** environ;

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

// Collects an ended child of ours (soon after SIGKILL); nothing for another's process.
void reap(pid_t pid) {
    for (int i = 0; i < 100 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
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
        reap(pid);
        log(ZO_RU("Остановлено : ") + platform::qstringToCp1251(QString::fromStdString(exe)), LogLevel::Information);
    }
    return int(ended.size());
}

TStartCommand ReadStartScript(const QString& uploadFolder) {
    TStartCommand command;
    QFile file(withSeparator(uploadFolder) + "autoexec.bat");
    if (!file.open(QIODevice::ReadOnly)) return command;
    std::string line = file.readLine(4096).toStdString();
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    std::vector<std::string> words = SplitCommandLine(line);
    if (!words.empty() && QString::fromStdString(words.front()).compare("start", Qt::CaseInsensitive) == 0)
        words.erase(words.begin());
    if (words.empty()) return command;
    const QString program = platform::cp1251ToQString(words.front());
    if (program.isEmpty() || program.contains('/') || program.contains('\\') || program == "." || program == "..")
        return command;
    QString path = withSeparator(uploadFolder) + program;
    if (!QFileInfo(path).isFile() && program.endsWith(".exe", Qt::CaseInsensitive))
        path.chop(4);  // "<name>.exe" is the file <name> here
    command.program = path;
    for (size_t i = 1; i < words.size(); ++i) command.arguments << platform::cp1251ToQString(words[i]);
    return command;
}

namespace {

// A file without a name for a started program's output: it goes when the
// program and we have closed it.
int unnamedOutputFile() {
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    QByteArray name = folder + "/zo-start-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.constData());
    return fd;
}

// The first lines a program wrote, blank lines left out.
QStringList firstLines(int fd, int count) {
    QStringList lines;
    if (fd < 0) return lines;
    char buffer[4096];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return lines;
    for (const QString& line : QString::fromLocal8Bit(buffer, n).split('\n')) {
        const QString text = line.trimmed();
        if (!text.isEmpty()) lines << text;
        if (lines.size() == count) break;
    }
    return lines;
}

// Spawns the program in the folder: its own session, default signal
// handling, no input, output and errors into output.
pid_t spawnInFolder(const TStartCommand& command, const QString& folder, int output) {
    std::vector<QByteArray> words{QFile::encodeName(command.program)};
    for (const QString& argument : command.arguments) words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray where = QFile::encodeName(folder);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output, 1);
        posix_spawn_file_actions_adddup2(&actions, output, 2);
    }
    posix_spawn_file_actions_addchdir_np(&actions, where.constData());
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : 0;
}

// Waits up to window for the child to end; true (and its status) when it did.
bool endsWithin(pid_t pid, std::chrono::milliseconds window, int& status) {
    const auto deadline = std::chrono::steady_clock::now() + window;
    for (;;) {
        const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid) return true;
        if (reaped < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

TStartOutcome StartUploadProgram(const QString& uploadFolder, std::chrono::milliseconds window) {
    TStartOutcome outcome;
    const TStartCommand command = ReadStartScript(uploadFolder);
    if (command.program.isEmpty() || !QFileInfo(command.program).isFile()) return outcome;
    outcome.program = QFileInfo(command.program).fileName();
    const int output = unnamedOutputFile();
    outcome.pid = spawnInFolder(command, uploadFolder, output);
    if (outcome.pid <= 0) {
        if (output >= 0) ::close(output);
        outcome.pid = 0;
        outcome.result = kStartFailed;
        return outcome;
    }
    int status = 0;
    if (endsWithin(outcome.pid, window, status)) {
        outcome.result = kStartEnded;
        outcome.signalled = WIFSIGNALED(status);
        outcome.exitCode = outcome.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
        outcome.output = firstLines(output, 3);
    } else {
        outcome.result = kStarted;
    }
    if (output >= 0) ::close(output);
    return outcome;
}

TUploadCommands::TUploadCommands(TProjectSession& session, TActions& actions, IHostServices& host,
                                 TBuildCommand& build, QWidget& window)
    : QObject(&window), session_(session), host_(host), window_(window),
      build_([&build] { return build.ProjectUploadExecute(); }) {
    setObjectName("UploadCommands");
    reaper_.setInterval(1000);
    connect(&reaper_, &QTimer::timeout, this, &TUploadCommands::ReapStarted);
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

QString TUploadCommands::ProgramFolder() const { return session_.FolderPath(KernelFolder::Program); }

void TUploadCommands::ProjectCreateCFGExecute() {
    if (!session_.Bound()) return;
    const QString p = ProgramFolder();
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
    const QString p = ProgramFolder();
    if (!session_.Bound() || p.isEmpty()) return;  // no program folder: no upload folder to run from
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
    const TStartOutcome start = StartUploadProgram(upload, startWindow_);
    started_ = start.result > 32 ? start.pid : 0;
    if (started_ > 0) reaper_.start();
    QDir::setCurrent(p);
    log(ZO_RU("Запуск ") + kQ + "Upload\\autoexec.bat" + kQ + "  Result=" + std::to_string(start.result),
        LogLevel::Milestone);
    if (start.result == kStartEnded) {
        const std::string program = platform::qstringToCp1251(start.program);
        log(ZO_RU("Программа ") + kQ + program + kQ + ZO_RU(" завершилась сразу после запуска, ") +
                (start.signalled ? ZO_RU("сигнал ") : ZO_RU("код ")) + std::to_string(start.exitCode),
            LogLevel::Error);
        for (const QString& line : start.output) log("  " + platform::readableCp1251(line), LogLevel::Error);
    }
    // Debugging is started only on a program that runs.
    const int mode = session_.Mode();
    if (start.result > 32 && mode >= 0 && mode != int(KernelMode::Debug)) session_.SetMode(KernelMode::Debug);
    host_.UpdateActionStates();
}

void TUploadCommands::ReapStarted() {
    if (started_ <= 0 || ::waitpid(started_, nullptr, WNOHANG) != 0) reaper_.stop();
}

void TUploadCommands::ProjectStopUploadExecute() {
    if (!session_.Bound()) return;
    if (session_.Mode() == int(KernelMode::Debug)) session_.SetMode(KernelMode::Select);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const QString p = ProgramFolder();
    if (p.isEmpty()) return;  // never "/Upload/"
    StopUploadPrograms(withSeparator(p) + "Upload/", grace_);
    QDir::setCurrent(p);
    host_.UpdateActionStates();
}

void TUploadCommands::SetMode(KernelMode mode) {
    session_.SetMode(mode);
    host_.UpdateActionStates();
}

void TUploadCommands::ReginSelectExecute() { SetMode(KernelMode::Select); }
void TUploadCommands::RegimSoedenExecute() { SetMode(KernelMode::Connect); }
void TUploadCommands::RegimDebugExecute() { SetMode(KernelMode::Debug); }

}  // namespace zo::configurator
