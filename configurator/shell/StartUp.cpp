#include "configurator/shell/StartUp.h"

#include "common/Canvas.h"
#include "common/ResourceBitmap.h"
#include "configurator/shell/Associations.h"
#include "configurator/shell/ProgramIcon.h"
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
    ok = SetFileTypeIcon(kProgId, ProgramIcon()) && ok;
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
        QImage* kept;  // nil: the strip is not kept
    } strips[] = {{"Icon16", &lists.List16, &read.Icon16},
                  {"Icon32", &lists.List32, &read.Icon32},
                  {"Icon32dis", &lists.List32dis, &read.Icon32dis},
                  {"Icon24", &lists.List24, nullptr}};
    for (const Strip& s : strips) {
        const QImage bitmap = LoadResourceBitmap(s.name);
        if (s.kept) *s.kept = bitmap;
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

QString ProjectCaption(const QString& pathShown, const QString& deviceFilePath) {
    // The file name: what follows the last backslash or slash.
    const qsizetype slash = std::max(deviceFilePath.lastIndexOf('\\'), deviceFilePath.lastIndexOf('/'));
    const QString device = deviceFilePath.mid(slash + 1);
    return QString::fromLatin1(kProgramCaption) + " - " + pathShown + "  (device: " + device + ")";
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

}  // namespace zo::configurator
