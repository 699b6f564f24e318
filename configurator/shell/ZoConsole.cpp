#include "configurator/shell/ZoConsole.h"

#include "common/CommandLine.h"
#include "configurator/link/KroLog.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <exception>

namespace zo::configurator {

namespace {

TConsoleLimits& limits() {
    static TConsoleLimits value;
    return value;
}

void logLine(TLogProc log, const std::string& text, uint8_t level) {
    if (log) log(text.c_str(), level);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool endsWithExe(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = lowerAscii(c);
    return tail == ".exe";
}

bool isExecutableFile(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(native.c_str(), X_OK) == 0;
}

// The native path of the program a command line's first word names, or empty
// when there is none. base is the native folder the child runs in.
std::string resolveProgram(const std::string& word, const std::string& base) {
    if (word.empty()) return {};
    const std::string native = platform::nativePath(word);
    std::vector<std::string> candidates;
    auto add = [&candidates](const std::string& path) {
        candidates.push_back(path);
        if (endsWithExe(path)) candidates.push_back(path.substr(0, path.size() - 4));
    };
    if (word.front() == '\\') {
        add(base + native);  // a leading "\" is relative to the current folder
    } else if (native.front() == '/') {
        add(native);
    } else if (native.find('/') != std::string::npos) {
        add(base + "/" + native);
    } else {
        add(base + "/" + native);
        std::vector<std::string> names{native};
        if (endsWithExe(native)) names.push_back(native.substr(0, native.size() - 4));
        for (const std::string& name : names) {
            const QString found = QStandardPaths::findExecutable(QString::fromStdString(name));
            if (!found.isEmpty()) candidates.push_back(found.toStdString());
        }
    }
    for (const std::string& candidate : candidates)
        if (isExecutableFile(candidate)) return candidate;
    return {};
}

QProcessEnvironment childEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (env.value(QStringLiteral("PATH")).isEmpty())
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.remove(QStringLiteral("LANGUAGE"));
    return env;
}

// A tool on this system writes UTF-8; the log takes Windows-1251. A line that
// is not valid UTF-8 is passed on as the tool wrote it.
std::string toLogText(const std::string& line) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(QByteArrayView(line.data(), qsizetype(line.size())));
    if (decoder.hasError()) return line;
    return platform::qstringToCp1251(text);
}

// Moves what the child has written so far into out and err, keeping at most
// cap bytes of both together; true when something had to be dropped.
bool drain(QProcess& process, std::string& out, std::string& err, int64_t cap) {
    bool cut = false;
    auto keep = [&](const QByteArray& chunk, std::string& into) {
        const int64_t room = cap - int64_t(out.size() + err.size());
        const int64_t take = std::min<int64_t>(std::max<int64_t>(room, 0), chunk.size());
        into.append(chunk.constData(), size_t(take));
        if (take < chunk.size()) cut = true;
    };
    keep(process.readAllStandardOutput(), out);
    keep(process.readAllStandardError(), err);
    return cut;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TConsoleLimits ConsoleLimits() { return limits(); }
void SetConsoleLimits(const TConsoleLimits& value) { limits() = value; }

std::vector<std::string> SplitCommandLine(std::string_view commandLine) { return zo::SplitCommandLine(commandLine); }

uint8_t ConsoleLineLevel(std::string_view line) {
    std::string lower(line);
    for (char& c : lower) c = lowerAscii(c);
    if (lower.find("error:") != std::string::npos) return LogLevel::Error;
    if (lower.find("warning:") != std::string::npos) return LogLevel::Warning;
    if (lower.find("info:") != std::string::npos) return LogLevel::Milestone;
    return LogLevel::Information;
}

std::vector<std::string> SplitOutputLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

int32_t RunConsoleProcess(const char* workFolder, const char* commandLine, TLogProc log) {
    if (!commandLine) return kConsoleNotStarted;
    const bool hasFolder = workFolder && *workFolder;
    if (hasFolder && !platform::dirExists(workFolder)) {
        logLine(log, ZO_RU("Не найдена рабочая папка процесса: ") + quoted(workFolder), LogLevel::Error);
        return kConsoleNotStarted;
    }
    const std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty()) return kConsoleNotStarted;

    QString base = QDir::currentPath();
    if (hasFolder) {
        const QString folder = QString::fromStdString(platform::nativePath(platform::withCurrentDir(workFolder)));
        base = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    }
    const std::string program = resolveProgram(words.front(), base.toStdString());
    if (program.empty()) return kConsoleNotStarted;

    QStringList arguments;
    for (size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(platform::nativePath(words[i]));

    QProcess process;
    process.setProgram(QString::fromStdString(program));
    process.setArguments(arguments);
    if (hasFolder) process.setWorkingDirectory(base);
    process.setProcessEnvironment(childEnvironment());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) return kConsoleNotStarted;

    const TConsoleLimits bounds = limits();
    std::string out;
    std::string err;
    bool cut = false;
    bool timedOut = false;
    QElapsedTimer clock;
    clock.start();
    // Both pipes are read while the tool runs, so a tool that fills one of
    // them while the other is still open never waits for the program.
    for (;;) {
        process.waitForFinished(50);
        cut |= drain(process, out, err, bounds.maxOutputBytes);
        if (process.state() == QProcess::NotRunning) break;
        if (clock.elapsed() >= bounds.timeoutMs) {
            timedOut = true;
            process.kill();
            process.waitForFinished(-1);
            cut |= drain(process, out, err, bounds.maxOutputBytes);
            break;
        }
    }

    const std::string exe = platform::fileNameOf(words.front());
    logLine(log, "Process: " + std::string(commandLine), LogLevel::Milestone);
    for (const std::string* stream : {&out, &err}) {
        for (const std::string& line : SplitOutputLines(*stream)) {
            if (line.empty()) continue;
            logLine(log, exe + "> " + toLogText(line), ConsoleLineLevel(line));
        }
    }
    if (cut)
        logLine(log,
                ZO_RU("Вывод процесса ") + quoted(exe) + ZO_RU(" превысил ") + std::to_string(bounds.maxOutputBytes) +
                    ZO_RU(" байт; остаток не сохранён."),
                LogLevel::Warning);
    if (timedOut) {
        logLine(log,
                ZO_RU("Процесс ") + quoted(exe) + ZO_RU(" остановлен: превышено время выполнения ") +
                    std::to_string(bounds.timeoutMs / 1000) + ZO_RU(" с."),
                LogLevel::Error);
        return kConsoleTimedOut;
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        logLine(log, ZO_RU("Процесс ") + quoted(exe) + ZO_RU(" завершился аварийно."), LogLevel::Error);
        return kConsoleCrashed;
    }
    const int code = process.exitCode();
    if (code != 0) {
        logLine(log, ZO_RU("Процесс ") + quoted(exe) + ZO_RU(" завершился с кодом ") + std::to_string(code) + ".",
                LogLevel::Error);
        return code;
    }
    return kConsoleRan;
}

}  // namespace zo::configurator

extern "C" int32_t RunProcessCallback(const char* workFolder, const char* commandLine, TLogProc log) {
    try {
        return zo::configurator::RunConsoleProcess(workFolder, commandLine, log);
    } catch (const std::exception& e) {
        if (log) log((std::string("RunProcessCallback: ") + e.what()).c_str(), zo::configurator::LogLevel::Error);
    } catch (...) {
        if (log) log("RunProcessCallback: unknown exception", zo::configurator::LogLevel::Error);
    }
    return zo::configurator::kConsoleNotStarted;
}
