#include "configurator/shell/StartUp.h"

#include "common/Canvas.h"
#include "common/FileReplacement.h"
#include "common/KroKernelConfig.h"
#include "common/ResourceBitmap.h"
#include "configurator/shell/Associations.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"
#include "configurator/link/KroLog.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <optional>
#include <utility>

namespace zo::configurator {

TCommandLine ParseCommandLine(const QStringList& arguments, const QString& currentDir) {
    TCommandLine line;
    if (arguments.isEmpty() || arguments.first().isEmpty()) return line;
    const QString first = arguments.first();
    if (first == QLatin1String(kSetupArgument)) {
        line.Setup = true;
        return line;
    }
    const QFileInfo file(QDir(currentDir), first);
    line.ProjectFolder = QDir::cleanPath(file.absolutePath());
    if (!line.ProjectFolder.endsWith('/')) line.ProjectFolder += '/';
    // Whatever extension it had, the project opened is <folder><name>.hc.
    line.ProjectName = file.completeBaseName();
    return line;
}

namespace {

void log(TLogProc proc, const std::string& text, uint8_t level) {
    if (proc) proc(text.c_str(), level);
}

}  // namespace

bool RunSetup(const QString& programFolder, const QString& programFile, TLogProc logProc) {
    log(logProc, ZO_RU("Добавление записей в реестр"), 1);
    QString folder = programFolder;
    while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
    bool ok = WriteRegistryString(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path",
                                  platform::qstringToCp1251(folder));
    const std::string program = programFile.toStdString();
    ok = AssociateFileType(kProjectExtension, kProgId, "orvanta configuration project", "", "open", program) && ok;
    ok = SetFileTypeIcon(kProgId, program, 0) && ok;
    ok = IsFileTypeAssociated(kProjectExtension, kProgId, program) == 1 && ok;
    if (!ok) log(logProc, ZO_RU("Не удается добавить данные в реестер"), 3);
    return ok;
}

TIconStrips FillImageLists(TProgramImageLists& lists) {
    TIconStrips read;
    // Held for the four strips, so that the library is loaded (and set up) once, not once a strip.
    void* const resources = platform::loadLibrary(kResourceLibraryPath);
    struct Strip {
        const char* name;
        TImageList* list;
    } strips[] = {{"Icon16", &lists.List16}, {"Icon32", &lists.List32}, {"Icon32dis", &lists.List32dis},
                  {"Icon24", &lists.List24}};
    for (const Strip& s : strips) {
        const QImage bitmap = LoadResourceBitmap(s.name);
        if (s.list == &lists.List16) read.Icon16 = bitmap;
        if (s.list == &lists.List32) read.Icon32 = bitmap;
        if (s.list == &lists.List16) {
            s.list->Clear();
            if (!bitmap.isNull()) s.list->SetSize(bitmap.height(), bitmap.height());
        }
        if (bitmap.isNull() || s.list->Width() <= 0) continue;
        const int cells = bitmap.width() / s.list->Width();
        for (int k = 0; k < cells; ++k) AddBitmapCell(bitmap, k * s.list->Width(), 0, *s.list);
    }
    platform::unloadLibrary(resources);
    return read;
}

QString ProjectCaption(const QString& folder, const QString& name, const QString& deviceFilePath) {
    // The file name: what follows the last backslash or slash.
    const qsizetype slash = std::max(deviceFilePath.lastIndexOf('\\'), deviceFilePath.lastIndexOf('/'));
    const QString device = deviceFilePath.mid(slash + 1);
    return QString::fromLatin1(kProgramCaption) + " - " + folder + name + kProjectExtension + "  (device: " + device +
           ")";
}

namespace {

int signalPipe[2] = {-1, -1};
std::atomic<bool> terminatedBySignal{false};

void onSignal(int) {
    terminatedBySignal = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void InstallTerminateSignals() {
    if (signalPipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        // Nobody is asked any more: boxes and dialogs take their safe answers,
        // the one open now is rejected, and every event loop ends (exit, not
        // quit: a box that refuses to close must not keep the program alive).
        platform::setUiServices(nullptr);
        platform::setDialogRunner({});
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool TerminatedBySignal() { return terminatedBySignal; }

namespace {

// Answers every question No and shows nothing, for the comparing save.
class TSilentServices : public platform::UiServices {
public:
    void showMessage(const std::string&, const std::string&, platform::MessageKind) override {}
    platform::Answer ask(const std::string&, const std::string&, platform::Buttons buttons) override {
        return buttons == platform::Buttons::OkCancel ? platform::Answer::Cancel : platform::Answer::No;
    }
};

}  // namespace

namespace {

// The kernel's lines of the comparing save go nowhere: what it saved is put back.
extern "C" void SilentLogLine(const char*, const char*, int32_t, int32_t) {}

// A regular file's bytes; nothing when it cannot be read.
std::optional<QByteArray> bytesOf(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

// Which file stands at the path and when it was last written: a save
// replaces the file, so either changes with every save.
std::optional<std::pair<ino_t, int64_t>> fileIdentity(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return std::make_pair(st.st_ino, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

// Puts a file back as it was: its bytes, or no file.
bool putBack(const QString& path, const std::optional<QByteArray>& before) {
    if (bytesOf(path) == before) return true;
    if (!before) return QFile::remove(path);
    return ReplaceFileContents(QFile::encodeName(path).toStdString(), before->constData(), size_t(before->size())) ==
           kReplaceOk;
}

}  // namespace

bool ProjectDiffersFromFile(const QString& projectFile) {
    if (!KernelOptionsPtr || !KernelOptionsPtr->SaveProject) return false;
    TKernelOptions& k = *KernelOptionsPtr;
    const std::optional<QByteArray> stored = bytesOf(projectFile);
    if (!stored) return true;
    const auto identity = fileIdentity(projectFile);
    // The project is saved where it belongs: saved anywhere else, the kernel
    // would take that file as the project's from then on and record it in the
    // channel base. The project file and the channel base are put back byte
    // for byte afterwards.
    QString canals;
    if (k.GetStructFolder && k.GetStructFolder())
        canals = QString::fromStdString(platform::nativePath(std::string(k.GetStructFolder()) + "\\Canals.xml"));
    const std::optional<QByteArray> canalsBefore = canals.isEmpty() ? std::nullopt : bytesOf(canals);
    TSilentServices silent;
    platform::UiServices* previous = platform::setUiServices(&silent);
    const bool logsBound = LogsOptionsPtr && LogsOptionsPtr->WriteLine && k.SetLogCallback;
    if (logsBound) k.SetLogCallback(kProgramLogName, SilentLogLine);
    const int32_t r = k.SaveProject(platform::qstringToCp1251(projectFile).c_str());
    if (logsBound) k.SetLogCallback(kProgramLogName, LogsOptionsPtr->WriteLine);
    platform::setUiServices(previous);
    // A save that left the very file as it was wrote nothing: nothing tells the project is the same.
    const bool written = r == 0 && fileIdentity(projectFile) != identity;
    const std::optional<QByteArray> saved = written ? bytesOf(projectFile) : std::nullopt;
    // A file that cannot be put back holds the work as it is now: nothing is lost.
    putBack(projectFile, stored);
    if (!canals.isEmpty()) putBack(canals, canalsBefore);
    if (!saved) return true;
    return WithoutWindowPlacement(*saved) != WithoutWindowPlacement(*stored);
}

QByteArray WithoutWindowPlacement(const QByteArray& projectText) {
    // A project file is written one element a line; a sheet's line carries the
    // placement of its window, which follows the windows, not the user's work.
    static const QByteArray sheet = platform::utf8ToCp1251("<Схема ").c_str();
    static const QRegularExpression placement(
        QStringLiteral(" (WindowOpen|Left|Top|Right|Bottom|Scale|HScroll|VScroll)=\"[^\"]*\""));
    QList<QByteArray> lines = projectText.split('\n');
    for (QByteArray& line : lines) {
        if (!line.trimmed().startsWith(sheet)) continue;
        // Latin-1 keeps every byte as one character, so the Windows-1251 text survives the round trip.
        line = QString::fromLatin1(line).remove(placement).toLatin1();
    }
    return lines.join('\n');
}

}  // namespace zo::configurator
