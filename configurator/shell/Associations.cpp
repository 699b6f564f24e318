#include "configurator/shell/Associations.h"

#include "platform/Cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdlib>

namespace zo::configurator {

bool WriteRegistryString(platform::RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                         const std::string& text) {
    return platform::writeRegistry(root, keyPath, valueName, text);
}

void ReadRegistryString(platform::RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                        std::string& text) {
    text.clear();
    if (auto value = platform::readRegistry(root, keyPath, valueName)) text = *value;
}

std::string DesktopDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

std::string MimeTypeOf(const std::string& progId) {
    std::string type = "application/x-";
    for (char c : progId) type += (c == '.' || c == ' ') ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    return type;
}

namespace {

QString q(const std::string& cp1251) { return platform::cp1251ToQString(cp1251); }
std::string native(const QString& text) { return text.toStdString(); }

QString dataPath(const QString& sub) { return QString::fromStdString(DesktopDataHome()) + "/" + sub; }
QString mimePackage(const std::string& progId) { return dataPath("mime/packages/" + q(progId) + ".xml"); }
QString desktopEntry(const std::string& progId) { return dataPath("applications/" + q(progId) + ".desktop"); }
QString mimeAppsList() { return dataPath("applications/mimeapps.list"); }
// The icon theme's name of the type's icon (the type with "-" for "/"), which
// desktops also take for the MIME type itself, and its file in the hicolor theme.
QString iconName(const std::string& progId) { return QString::fromStdString(MimeTypeOf(progId)).replace('/', '-'); }
QString iconFile(const std::string& progId, int size) {
    return dataPath(QString("icons/hicolor/%1x%1/mimetypes/%2.png").arg(size).arg(iconName(progId)));
}

bool writeText(const QString& path, const QString& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QString xmlEscaped(const QString& text) { return text.toHtmlEscaped(); }

// The value of a key of a desktop entry's main group, escapes undone (\s \n \t \r \\).
QString entryValue(const QString& text, const QString& key) {
    bool inMain = false;
    for (const QString& raw : text.split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('[')) {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        if (!inMain || !line.startsWith(key)) continue;
        const QString rest = line.mid(key.size()).trimmed();
        if (!rest.startsWith('=')) continue;
        const QString value = rest.mid(1).trimmed();
        QString out;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                const QChar c = value[++i];
                out += c == 's' ? QChar(' ') : c == 'n' ? QChar('\n') : c == 't' ? QChar('\t') : c == 'r' ? QChar('\r') : c;
            } else {
                out += value[i];
            }
        }
        return out;
    }
    return {};
}

// A string value of a desktop entry as written: backslashes doubled, line breaks escaped.
QString entryEscaped(const QString& value) {
    QString out;
    for (QChar c : value) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

QString setEntryKey(const QString& text, const QString& key, const QString& value) {
    QStringList lines = text.split('\n');
    bool inMain = false;
    qsizetype mainEnd = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith('[')) {
            if (inMain) break;
            inMain = line == "[Desktop Entry]";
            if (inMain) mainEnd = i + 1;
            continue;
        }
        if (!inMain) continue;
        if (line.startsWith(key + "=")) {
            lines[i] = key + "=" + value;
            return lines.join('\n');
        }
        if (!line.isEmpty()) mainEnd = i + 1;
    }
    if (mainEnd < 0) return "[Desktop Entry]\n" + key + "=" + value + "\n" + text;
    lines.insert(mainEnd, key + "=" + value);
    return lines.join('\n');
}

void refreshDesktopCaches() {
    // What the desktop offers to keep its caches current, when it is installed.
    const QString mimeTool = QStandardPaths::findExecutable("update-mime-database");
    if (!mimeTool.isEmpty()) QProcess::execute(mimeTool, {dataPath("mime")});
    const QString desktopTool = QStandardPaths::findExecutable("update-desktop-database");
    if (!desktopTool.isEmpty()) QProcess::execute(desktopTool, {dataPath("applications")});
}

// mimeapps.list with the default of the type set (application given) or removed (empty).
bool setDefaultApplication(const QString& mimeType, const QString& application) {
    const QString path = mimeAppsList();
    QStringList lines = readText(path).split('\n');
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    bool inDefaults = false;
    qsizetype insertAt = -1;
    for (qsizetype i = 0; i < lines.size();) {
        const QString line = lines[i].trimmed();
        if (line.startsWith('[')) {
            inDefaults = line == "[Default Applications]";
            if (inDefaults) insertAt = i + 1;
            ++i;
            continue;
        }
        if (inDefaults && line.startsWith(mimeType + "=")) {
            lines.removeAt(i);
            continue;
        }
        if (inDefaults) insertAt = i + 1;
        ++i;
    }
    if (!application.isEmpty()) {
        if (insertAt < 0) {
            lines << "[Default Applications]";
            insertAt = lines.size();
        }
        lines.insert(insertAt, mimeType + "=" + application + ";");
    } else if (!QFile::exists(path)) {
        return true;
    }
    return writeText(path, lines.join('\n') + "\n");
}

}  // namespace

std::string DesktopExecLine(const std::string& programPath, const std::string& arguments) {
    QString quoted = "\"";
    for (QChar c : QString::fromStdString(programPath)) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    if (!arguments.empty()) quoted += " " + QString::fromStdString(arguments);
    return native(quoted);
}

std::string DesktopExecProgram(const std::string& execLine) {
    const QString line = QString::fromStdString(execLine).trimmed();
    QString program;
    if (line.startsWith('"')) {
        for (qsizetype i = 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                program += line[++i];
            } else if (line[i] == '"') {
                return native(program.replace("%%", "%"));
            } else {
                program += line[i];
            }
        }
        return {};  // no closing quote
    }
    program = line.section(' ', 0, 0);
    return native(program.replace("%%", "%"));
}

bool RegisterFileType(const std::string& extension, const std::string& progId, const std::string& description,
                      const std::string& command, const std::string& verb) {
    if (extension.size() < 2 || extension[0] != '.' || progId.empty()) return false;
    const QString type = QString::fromStdString(MimeTypeOf(progId));
    const QString mime = QString(
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                             "  <mime-type type=\"%1\">\n"
                             "    <comment>%2</comment>\n"
                             "    <glob pattern=\"*%3\"/>\n"
                             "  </mime-type>\n"
                             "</mime-info>\n")
                             .arg(type, xmlEscaped(q(description)), xmlEscaped(q(extension)));
    if (!writeText(mimePackage(progId), mime)) return false;
    // The verb names the action; "open" is the entry's own Exec line.
    QString entry = "[Desktop Entry]\nType=Application\nName=" + entryEscaped(q(description)) +
                    "\nExec=" + entryEscaped(QString::fromStdString(command)) + "\nMimeType=" + type + ";\nNoDisplay=true\nTerminal=false\n";
    if (verb != "open") entry += "X-Orvanta-Verb=" + entryEscaped(q(verb)) + "\n";
    if (!writeText(desktopEntry(progId), entry)) return false;
    return setDefaultApplication(type, q(progId) + ".desktop");
}

std::string ProgramFilePath() { return QCoreApplication::applicationFilePath().toStdString(); }

bool AssociateFileType(const std::string& extension, const std::string& progId, const std::string& description,
                       const std::string& parameter, const std::string& verb, const std::string& programPath) {
    const std::string program = programPath.empty() ? ProgramFilePath() : programPath;
    const std::string command = DesktopExecLine(program, parameter.empty() ? "%f" : parameter);
    return RegisterFileType(extension, progId, description, command, verb);
}

bool SetFileTypeIcon(const std::string& progId, const QImage& icon) {
    const QString path = desktopEntry(progId);
    const QString text = readText(path);
    if (text.isEmpty() || icon.isNull() || icon.width() != icon.height()) return false;
    const QString file = iconFile(progId, icon.width());
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) return false;
    QSaveFile png(file);
    if (!png.open(QIODevice::WriteOnly) || !icon.save(&png, "PNG") || !png.commit()) return false;
    return writeText(path, setEntryKey(text, "Icon", iconName(progId)));
}

int IsFileTypeAssociated(const std::string& extension, const std::string& progId, const std::string& programPath) {
    const std::string program = programPath.empty() ? ProgramFilePath() : programPath;
    const QString type = QString::fromStdString(MimeTypeOf(progId));
    const QString mime = readText(mimePackage(progId));
    if (!mime.contains("type=\"" + type + "\"", Qt::CaseInsensitive) ||
        !mime.contains("pattern=\"*" + xmlEscaped(q(extension)) + "\"", Qt::CaseInsensitive))
        return 0;
    const QString entry = readText(desktopEntry(progId));
    if (!entryValue(entry, "MimeType").split(';').contains(type, Qt::CaseInsensitive)) return 0;
    const std::string exec = entryValue(entry, "Exec").toStdString();
    if (exec.empty() || DesktopExecProgram(exec) != program) return 0;
    refreshDesktopCaches();
    return 1;
}

int UnregisterFileType(const std::string& extension, const std::string& progId) {
    (void)extension;
    bool ok = true;
    QStringList files{mimePackage(progId), desktopEntry(progId)};
    const QString icons = dataPath("icons/hicolor");
    for (const QString& size : QDir(icons).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        files << icons + "/" + size + "/mimetypes/" + iconName(progId) + ".png";
    for (const QString& path : files)
        if (QFile::exists(path) && !QFile::remove(path)) ok = false;
    if (!setDefaultApplication(QString::fromStdString(MimeTypeOf(progId)), {})) ok = false;
    refreshDesktopCaches();
    return ok ? 1 : 0;
}

}  // namespace zo::configurator
