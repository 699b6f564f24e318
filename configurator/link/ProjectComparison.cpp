#include "configurator/link/ProjectComparison.h"

#include "configurator/link/KroLog.h"
#include "platform/Cp1251.h"
#include "platform/UiServices.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

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

namespace {

// The attributes of one element that are not the user's work.
struct DerivedFields {
    std::string element;              // how its line starts, after blanks
    std::vector<std::string> fields;  // each as ' Name="'
};

const std::vector<DerivedFields>& derivedFields() {
    static const std::vector<DerivedFields> derived = {
        {platform::utf8ToCp1251("<Схема "),
         {" WindowOpen=\"", " Left=\"", " Top=\"", " Right=\"", " Bottom=\"", " Scale=\"", " HScroll=\"",
          " VScroll=\""}},
        {platform::utf8ToCp1251("<Блок "), {" Selected=\""}},
        {platform::utf8ToCp1251("<Соединение "), {" Selected=\"", " NetIndex=\"", " Chain=\"", " LineType=\""}},
    };
    return derived;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool startsWith(const char* at, const char* end, const std::string& text) {
    return size_t(end - at) >= text.size() && std::memcmp(at, text.data(), text.size()) == 0;
}

// One line, [at, end), onto out without the fields: each ' Name="' and what
// follows up to its closing quote, from the left, as long as a quote closes it.
void appendWithout(const char* at, const char* end, const std::vector<std::string>& fields, QByteArray& out) {
    while (at < end) {
        const char* space = static_cast<const char*>(std::memchr(at, ' ', size_t(end - at)));
        if (!space) break;
        out.append(at, space - at);
        at = space;
        const char* skipTo = nullptr;
        for (const std::string& field : fields) {
            if (!startsWith(space, end, field)) continue;
            const char* value = space + field.size();
            if (const auto* quote = static_cast<const char*>(std::memchr(value, '"', size_t(end - value))))
                skipTo = quote + 1;
            break;
        }
        if (skipTo) {
            at = skipTo;
        } else {
            out.append(' ');
            ++at;
        }
    }
    out.append(at, end - at);
}

}  // namespace

QByteArray WithoutDerivedFields(const QByteArray& projectText) {
    // A project file is written one element a line.
    QByteArray out;
    out.reserve(projectText.size());
    const char* at = projectText.constData();
    const char* const end = at + projectText.size();
    while (true) {
        const char* newline = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)));
        const char* lineEnd = newline ? newline : end;
        const char* first = at;
        while (first < lineEnd && blank(*first)) ++first;
        const DerivedFields* derived = nullptr;
        for (const DerivedFields& d : derivedFields())
            if (startsWith(first, lineEnd, d.element)) derived = &d;
        if (derived) appendWithout(at, lineEnd, derived->fields, out);
        else out.append(at, lineEnd - at);
        if (!newline) break;
        out.append('\n');
        at = newline + 1;
    }
    return out;
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
    stamp.Bytes = *bytes;
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
    return bytes && *bytes == kept.Bytes;
}

}  // namespace zo::configurator
