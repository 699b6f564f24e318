#include "configurator/link/ProjectComparison.h"

#include "common/FileReplacement.h"
#include "common/abi/KernelOptions.h"
#include "configurator/link/KroLog.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

#include <optional>
#include <utility>

namespace zo::configurator {

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

bool ProjectDiffersFromFile(TKernelOptions* record, const QString& projectFile) {
    if (!record || !record->SaveProject) return false;
    TKernelOptions& k = *record;
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
