#include "configurator/link/ProjectComparison.h"

#include "configurator/link/KroLog.h"
#include "platform/Cp1251.h"
#include "platform/UiServices.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace zo::configurator {

namespace {

// Answers every question No and shows nothing, for the copy.
class TSilentServices : public platform::UiServices {
public:
    void showMessage(const std::string&, const std::string&, platform::MessageKind) override {}
    platform::Answer ask(const std::string&, const std::string&, platform::Buttons buttons) override {
        return buttons == platform::Buttons::OkCancel ? platform::Answer::Cancel : platform::Answer::No;
    }
};

// The kernel's lines about the copy go nowhere: the copy is the program's own business.
extern "C" void SilentLogLine(const char*, const char*, int32_t, int32_t) {}

std::optional<QByteArray> bytesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

QByteArray hashOf(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256); }

}  // namespace

std::optional<QByteArray> ProjectTextNow(TPathProc saveCopy, TKernelOptions* record, const QString& name) {
    if (!saveCopy || name.isEmpty()) return std::nullopt;
    const QTemporaryDir folder;
    if (!folder.isValid()) return std::nullopt;
    const QString copy = folder.filePath(name + ".hc");
    bool lossless = true;
    const std::string path = platform::qstringToCp1251(copy, &lossless);
    if (!lossless) return std::nullopt;
    TSilentServices silent;
    platform::UiServices* previous = platform::setUiServices(&silent);
    const bool logsBound = record && LogsOptionsPtr && LogsOptionsPtr->WriteLine && record->SetLogCallback;
    if (logsBound) record->SetLogCallback(kProgramLogName, SilentLogLine);
    const int32_t r = saveCopy(path.c_str());
    if (logsBound) record->SetLogCallback(kProgramLogName, LogsOptionsPtr->WriteLine);
    platform::setUiServices(previous);
    if (r != 0) return std::nullopt;
    return bytesOf(copy);
}

QByteArray WithoutDerivedFields(const QByteArray& projectText) {
    // A project file is written one element a line.
    struct Derived {
        QByteArray element;
        QRegularExpression fields;
    };
    static const Derived derived[] = {
        {platform::utf8ToCp1251("<Схема ").c_str(),
         QRegularExpression(QStringLiteral(" (WindowOpen|Left|Top|Right|Bottom|Scale|HScroll|VScroll)=\"[^\"]*\""))},
        {platform::utf8ToCp1251("<Блок ").c_str(), QRegularExpression(QStringLiteral(" Selected=\"[^\"]*\""))},
        {platform::utf8ToCp1251("<Соединение ").c_str(),
         QRegularExpression(QStringLiteral(" (Selected|NetIndex|Chain|LineType)=\"[^\"]*\""))},
    };
    QList<QByteArray> lines = projectText.split('\n');
    for (QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        for (const Derived& d : derived) {
            if (!trimmed.startsWith(d.element)) continue;
            // Latin-1 keeps every byte as one character, so the Windows-1251 text survives the round trip.
            line = QString::fromLatin1(line).remove(d.fields).toLatin1();
        }
    }
    return lines.join('\n');
}

TFileStamp StampOf(const QString& path, std::optional<QByteArray>* bytesRead) {
    TFileStamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
    const std::optional<QByteArray> bytes = bytesOf(path);
    if (bytesRead) *bytesRead = bytes;
    if (!bytes) return stamp;
    stamp.Exists = true;
    stamp.Device = uint64_t(st.st_dev);
    stamp.Inode = uint64_t(st.st_ino);
    stamp.Size = int64_t(st.st_size);
    stamp.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.Hash = hashOf(*bytes);
    return stamp;
}

bool StillStamped(const TFileStamp& kept, const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return true;
    if (!kept.Exists) return false;
    const int64_t modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (uint64_t(st.st_dev) == kept.Device && uint64_t(st.st_ino) == kept.Inode && int64_t(st.st_size) == kept.Size &&
        modified == kept.ModifiedNs)
        return true;
    // Written again with the same bytes (or copied back): nothing of another's would be lost.
    const std::optional<QByteArray> bytes = bytesOf(path);
    return bytes && hashOf(*bytes) == kept.Hash;
}

}  // namespace zo::configurator
