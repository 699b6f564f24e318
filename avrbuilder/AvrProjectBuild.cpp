#include "avrbuilder/AvrProjectBuild.h"

#include "avrbuilder/BuildFiles.h"
#include "avrbuilder/InterruptVectors.h"
#include "common/CommandLine.h"
#include "common/FileUtils.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QLocale>

namespace zo::avr {

namespace {

const std::string Q = "\"";
constexpr size_t kIncludeWidth = 50;

std::string includeLine(const std::string& file, const char* comment) {
    return PadRight(".include " + Q + file + Q, kIncludeWidth) + comment;
}

// The names an assembler command line hands to the tool as files: every word
// that is no option, and the value joined to an option ("-lmain.lst",
// "-o=x"); the value of an option given as the next word is such a word.
std::vector<std::string> OptionFileNames(const std::vector<std::string>& options, const std::string& source) {
    std::vector<std::string> names;
    for (const std::string& word : options) {
        if (word.empty() || word[0] != '-') {
            names.push_back(word);
            continue;
        }
        std::string value = word.size() > 2 ? word.substr(2) : std::string();
        if (!value.empty() && value[0] == '=') value.erase(0, 1);
        if (!value.empty()) names.push_back(value);
    }
    names.push_back(source);
    return names;
}

class Build {
public:
    Build(const AvrBuildInputs& in, IAvrBuildHost& host) : in_(in), host_(host) {}
    int32_t Run();

private:
    void log(const std::string& text, uint8_t level) { host_.Log(text, level); }
    int32_t fail(const std::string& text, int32_t code) {
        log(text, 5);
        return code;
    }
    std::string notMade(const std::string& path) { return ZO_RU("Файл: ") + Q + path + Q + ZO_RU(" не создан."); }
    std::string made(const std::string& path) { return ZO_RU("Создан файл ") + Q + path + Q; }
    std::string copyFailed(const std::string& name) { return ZO_RU("Ошибка копирования файла ") + Q + name + Q; }
    std::string refused(const std::string& name) {
        return ZO_RU("Недопустимое имя файла ") + Q + name + Q + ZO_RU(": файл должен лежать в папке устройства.");
    }
    std::string dp() { return host_.DeviceProgram(); }
    // The first entry of a BUILD list, or empty.
    std::string firstOf(const char* child) {
        std::vector<std::string> items;
        host_.ReadXmlList(build_, child, "FILE", items);
        return items.empty() ? std::string() : items.front();
    }
    bool writeChecked(const std::string& path, const std::vector<std::string>& lines) {
        return WriteTextLines(path, lines) && platform::fileExists(path);
    }

    int32_t cleanAndConfigure();
    int32_t convert();
    int32_t projectFiles();
    int32_t codeFiles();
    int32_t vectors();
    int32_t assemble();

    const AvrBuildInputs& in_;
    IAvrBuildHost& host_;
    std::string build_;  // B: the query of the device's BUILD element
    std::string util_;
    std::string cfg_;
    std::vector<std::string> codes_;  // L: code files of the element blocks
    std::vector<std::string> libs_;   // library files of the runtime
    std::string dev_;                 // the device include
};

int32_t Build::cleanAndConfigure() {
    const std::string& u = in_.uploadFolder;
    log(ZO_RU("Формирование проекта в папке ") + u, 2);
    std::vector<std::string> old;
    FindFiles(u + "\\", "*.*", old, false);
    for (const std::string& file : old) RemoveFile(file);
    log(ZO_RU("Очищена папка ") + Q + u + Q + ZO_RU(" удалено ") + std::to_string(old.size()) + ZO_RU(" файлов"), 1);

    cfg_ = in_.programFolder + "\\Configuration\\" + in_.projectName + ".cfg";
    if (host_.CreateConfig(cfg_, "CreateConfig.log", codes_) != 0)
        return fail(ZO_RU("Ошибка создания файла ") + Q + cfg_ + Q, kAvrConfigNotWritten);
    log(made(cfg_), 1);
    return kAvrBuildOk;
}

int32_t Build::convert() {
    const std::string inc = in_.uploadFolder + "\\Configuration.inc";
    const std::string converter = util_ + "\\Kelvart";
    // Each argument is one quoted word: no folder or project name can split it.
    if (host_.RunProgram(nullptr, QuoteCommandWord(converter) + " -o=" + QuoteCommandWord(inc) + " " +
                                      QuoteCommandWord(cfg_)) != 0)
        return fail(ZO_RU("Ошибка исполнения утилиты: ") + Q + converter + Q, kAvrConverterNotStarted);
    if (!platform::fileExists(inc)) return fail(notMade(inc), kAvrIncludeNotMade);
    log(made(inc), 1);
    return kAvrBuildOk;
}

int32_t Build::projectFiles() {
    const std::string& r = in_.runtimeFolder;
    FindFiles(r + "\\" + dp() + "\\library\\", "lib_*.inc", libs_, false);

    const std::string program = firstOf("PROGRAM");
    if (program.empty())
        return fail(ZO_RU("В файле описания устройства ") + Q + in_.deviceFile + Q + ZO_RU(" не задана программа."),
                    kAvrProjectFileFailed);
    if (!IsNameBelowFolder(program)) return fail(refused(program), kAvrProjectFileFailed);
    const std::string prog = r + dp() + "\\" + program;
    if (!platform::fileExists(prog))
        return fail(ZO_RU("Не найден файл ") + Q + prog + Q + ".", kAvrProjectFileFailed);

    const std::string device = firstOf("DEVICE");
    if (device.empty())
        return fail(ZO_RU("В файле описания устройства ") + Q + in_.deviceFile + Q + ZO_RU(" не задано устройство."),
                    kAvrProjectFileFailed);
    if (!IsNameBelowFolder(device)) return fail(refused(device), kAvrProjectFileFailed);
    dev_ = r + dp() + "\\Device\\" + device;
    if (!platform::fileExists(dev_)) return fail(ZO_RU("Не найден файл ") + Q + dev_ + Q + ".", kAvrProjectFileFailed);
    const std::string devName = platform::fileNameOf(dev_);

    std::vector<std::string> main = {in_.mainHeader + CurrentDateTimeText(), includeLine(devName, "//device name"), ""};
    std::vector<std::string> progLines;
    if (!ReadTextLines(prog, progLines)) return fail(ZO_RU("Не найден файл ") + Q + prog + Q + ".", kAvrProjectFileFailed);
    main.insert(main.end(), progLines.begin(), progLines.end());
    const std::string mainPath = in_.uploadFolder + "\\main.asm";
    if (!writeChecked(mainPath, main)) return fail(notMade(mainPath), kAvrProjectFileFailed);
    log(made(mainPath), 1);

    if (!CopyWholeFile(dev_, in_.uploadFolder + "\\" + devName)) return fail(copyFailed(devName), kAvrCopyFailed);
    log(std::string("C") + ZO_RU("копирован файл ") + Q + devName + Q, 1);

    std::vector<std::string> include = {"//This document was created with OrvantaConfigurator.exe program.", ""};
    // Each code file is named as it is copied: by its file name in the upload folder.
    for (const std::string& code : codes_) include.push_back(includeLine(platform::fileNameOf(code), "//FBD cod"));
    for (const std::string& lib : libs_) include.push_back(includeLine(platform::fileNameOf(lib), "//library"));
    include.push_back(includeLine("Configuration.inc", "//configuration"));
    const std::string includePath = in_.uploadFolder + "\\Include.inc";
    if (!writeChecked(includePath, include)) return fail(notMade(includePath), kAvrProjectFileFailed);
    log(made(includePath), 1);
    return kAvrBuildOk;
}

int32_t Build::codeFiles() {
    const std::string& r = in_.runtimeFolder;
    const std::string& u = in_.uploadFolder;
    for (const std::string& code : codes_) {
        const std::string name = platform::fileNameOf(code);
        if (!IsNameBelowFolder(code)) return fail(refused(code), kAvrCopyFailed);
        std::string src = r + "\\" + dp() + "\\" + code;
        if (!platform::fileExists(src)) {
            const std::string fbd = r + dp() + "\\FBD\\";
            const std::string m = ZO_RU("Ищем файл ") + Q + code + Q + ZO_RU(" в ") + Q + fbd + Q;
            std::vector<std::string> found;
            FindFiles(fbd, name, found, true);
            if (found.empty()) return fail(m + ZO_RU(", не найден."), kAvrCopyFailed);
            log(m + ZO_RU(", найден копируем."), 1);
            src = found.front();
        }
        if (!CopyWholeFile(src, u + "\\" + name)) return fail(copyFailed(name), kAvrCopyFailed);
    }
    for (const std::string& lib : libs_) {
        const std::string name = platform::fileNameOf(lib);
        const std::string target = u + "\\" + name;
        if (!CopyWholeFile(lib, target)) return fail(copyFailed(name), kAvrCopyFailed);
        log(std::string("C") + ZO_RU("копирована библиотека ") + Q + target + Q, 1);
    }
    std::vector<std::string> copies;
    host_.ReadXmlList(build_, "COPY", "FILE", copies);
    for (const std::string& copy : copies) {
        const std::string name = platform::fileNameOf(copy);
        if (!IsNameBelowFolder(copy)) return fail(refused(copy), kAvrCopyFailed);
        const std::string target = u + "\\" + name;
        if (!CopyWholeFile(r + "\\" + dp() + "\\" + copy, target)) return fail(copyFailed(name), kAvrCopyFailed);
        log(std::string("C") + ZO_RU("копирован файл ") + Q + target + Q, 1);
    }
    return kAvrBuildOk;
}

int32_t Build::vectors() {
    const std::string path = in_.uploadFolder + "\\Interrupt.inc";
    std::vector<std::string> lines;
    if (WriteInterruptVectors(in_.uploadFolder, dev_, lines) != 0 || !writeChecked(path, lines))
        return fail(ZO_RU("Ошибка создания файла ") + Q + path + Q + ".", kAvrAssemblerFailed);
    log(std::string("C") + ZO_RU("оздан файл ") + Q + path + Q + ".", 1);
    return kAvrBuildOk;
}

int32_t Build::assemble() {
    std::string cmd, source;
    if (host_.ReadXmlValue(build_, "CMD", cmd) != 0 || host_.ReadXmlValue(build_, "SOURCE", source) != 0 ||
        TrimControls(cmd).empty() || source.empty())
        return fail(ZO_RU("Не заданы параметры компиляции."), kAvrAssemblerFailed);
    cmd = TrimControls(cmd);
    const size_t blank = cmd.find(' ');
    const std::string toolName = cmd.substr(0, blank);
    // The assembler is a program of the Utility folder: a name that leaves it,
    // or holds a quote that would end the quoted program word, is not started.
    if (!IsNameBelowFolder(toolName))
        return fail(ZO_RU("Недопустимое имя утилиты ") + Q + toolName + Q + ZO_RU(": утилита должна лежать в папке Utility."),
                    kAvrAssemblerFailed);
    const std::string tool = util_ + "\\" + toolName;
    // The assembler runs in the upload folder: every file its options or the
    // source name (listing, map, image, includes) stays inside it.
    const std::vector<std::string> options =
        SplitCommandLine(blank == std::string::npos ? std::string_view() : std::string_view(cmd).substr(blank));
    for (const std::string& name : OptionFileNames(options, source))
        if (!IsNameBelowFolder(name))
            return fail(ZO_RU("Недопустимое имя файла ") + Q + name + Q +
                            ZO_RU(" в параметрах компиляции: файл должен лежать в папке проекта."),
                        kAvrAssemblerFailed);
    std::string commandLine = QuoteCommandWord(tool);
    for (const std::string& option : options) commandLine += " " + CommandWord(option);
    commandLine += " -o " + QuoteCommandWord(in_.projectName + ".hex") + " " + QuoteCommandWord(source);

    // A stale image is never taken for a fresh one.
    const std::string hex = in_.uploadFolder + "\\" + in_.projectName + ".hex";
    if (!RemoveFile(hex)) return fail(ZO_RU("Не удалось удалить файл ") + Q + hex + Q + ".", kAvrImageNotMade);
    const std::string work = in_.uploadFolder + "\\";
    if (host_.RunProgram(work.c_str(), commandLine) != 0)
        return fail(ZO_RU("Ошибка исполнения утилиты: ") + Q + tool + Q, kAvrAssemblerFailed);
    if (!platform::fileExists(hex)) return fail(notMade(hex), kAvrImageNotMade);
    log(made(hex), 2);
    return kAvrBuildOk;
}

int32_t Build::Run() {
    // An empty upload folder would name the current folder, which is never emptied.
    if (TrimControls(in_.uploadFolder).empty())
        return fail(ZO_RU("Не задана папка проекта: сборка не выполняется."), kAvrProjectFileFailed);
    // The project's name names files of the upload and configuration folders.
    if (!IsPlainFileName(in_.projectName))
        return fail(ZO_RU("Недопустимое имя проекта ") + Q + in_.projectName + Q + ZO_RU(": сборка не выполняется."),
                    kAvrProjectFileFailed);
    build_ = in_.deviceFile + "/Micro/BUILD/";
    util_ = in_.programFolder + "\\Utility";
    for (int32_t (Build::*step)() : {&Build::cleanAndConfigure, &Build::convert, &Build::projectFiles,
                                     &Build::codeFiles}) {
        if (const int32_t rc = (this->*step)(); rc != kAvrBuildOk) return rc;
    }
    if (in_.interruptVectors) {
        if (const int32_t rc = vectors(); rc != kAvrBuildOk) return rc;
    }
    return assemble();
}

}  // namespace

std::string CurrentDateTimeText() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    const QString text =
        locale.toString(now.date(), QLocale::ShortFormat) + " " + locale.toString(now.time(), QLocale::LongFormat);
    return platform::qstringToCp1251(text);
}

int32_t BuildAvrProject(const AvrBuildInputs& inputs, IAvrBuildHost& host) {
    Build build(inputs, host);
    return build.Run();
}

}  // namespace zo::avr
