#include "kernel/UploadFolder.h"

#include "common/CommandLine.h"
#include "common/FileReplacement.h"
#include "common/FileUtils.h"
#include "common/StringList.h"
#include "kernel/ConfigFile.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelStart.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <strings.h>
#include <unistd.h>

namespace zo::kernel {

namespace {

const char* const kStartScript = "autoexec.bat";

// A name of one file: not empty, no folder separators, not "." or "..".
bool plainFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/") == std::string::npos && name != "." && name != "..";
}

// True when a path relative to the runtime folder names a ".." folder, so it
// could reach outside that folder.
bool climbsOut(const std::string& path) {
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find_first_of("\\/", start);
        if (path.substr(start, end == std::string::npos ? std::string::npos : end - start) == "..") return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

// A copy with the source's permission bits, put in place by renaming a fresh
// temporary file over the destination: a link planted under the destination's
// name is replaced, never written through.
bool copyFile(const std::string& from, const std::string& to) {
    return ReplaceFileWithCopy(platform::nativePath(platform::withCurrentDir(from)),
                               platform::nativePath(platform::withCurrentDir(to))) == kReplaceOk;
}

// Removes a file; a folder (whose name may have an extension too) stays.
void removeFile(const std::string& path) { ::unlink(platform::nativePath(platform::withCurrentDir(path)).c_str()); }

int cleanFolder(const std::string& folder) {
    std::vector<std::string> files;
    FindFiles(folder, "*.*", files, false);
    for (const std::string& file : files) removeFile(file);
    return int(files.size());
}

void copyLibraries(const std::string& runtime, const std::string& upload, const std::vector<std::string>& libraries) {
    for (const std::string& library : libraries) {
        if (climbsOut(library)) {
            Log(ZO_RU("Недопустимый путь библиотеки ") + Q + library + Q, kLogError);
            continue;
        }
        const std::string name = platform::fileNameOf(library);
        const std::string destination = upload + "\\" + name;
        if (copyFile(runtime + "\\" + library, destination))
            Log(ZO_RU("Cкопирован файл ") + Q + destination + Q, kLogInformation);
        else
            Log(ZO_RU("Ошибка копирования файла ") + Q + name + Q, kLogError);
    }
}

int buildProjectFolder(const char* logName) {
    const KernelState& s = State();
    const std::string upload = s.uploadFolder;
    const std::string name = s.projectName;
    const std::string program = s.deviceProgram;
    Log(ZO_RU("Формирование проекта в папке ") + upload, kLogMilestone);
    if (!plainFileName(name)) {
        Log(ZO_RU("Недопустимое имя проекта ") + Q + name + Q, kLogError);
        return kUploadConfigNotCreated;
    }
    if (!plainFileName(program)) {
        Log(ZO_RU("Недопустимое имя программы ") + Q + program + Q, kLogError);
        return kUploadProgramNotCopied;
    }
    const int removed = cleanFolder(upload);
    Log(ZO_RU("Очищена папка ") + Q + upload + Q + ZO_RU(" удалено ") + std::to_string(removed) + ZO_RU(" файлов"), kLogInformation);

    const std::string cfgPath = upload + "\\" + name + ".cfg";
    TStringListTable libraries;
    if (CreateConfigFile(cfgPath.c_str(), logName, libraries.List()) != kConfigWritten) {
        Log(ZO_RU("Ошибка создания файла ") + Q + cfgPath + Q, kLogError);
        return kUploadConfigNotCreated;
    }
    Log(ZO_RU("Создан файл ") + Q + cfgPath + Q, kLogInformation);

    const std::string runtime = GetDeviceRuntimeFolder();
    const std::string programFile = RuntimeProgramFile(program);
    const std::string destination = upload + "\\" + programFile;
    if (!copyFile(runtime + "\\" + programFile, destination)) {
        Log(ZO_RU("Ошибка копирования файла ") + Q + destination + Q, kLogError);
        return kUploadProgramNotCopied;
    }
    Log(ZO_RU("Cкопирован файл ") + Q + destination + Q, kLogInformation);
    copyLibraries(runtime, upload, libraries.Items());

    const std::string script = upload + "\\" + kStartScript;
    const std::string line = StartScriptLine(program, name);
    if (ReplaceFileContents(platform::nativePath(platform::withCurrentDir(script)), line.data(), line.size(), -1,
                            LinkPolicy::ReplaceLink) != kReplaceOk) {
        Log(ZO_RU("Ошибка создания файла ") + Q + script + Q, kLogError);
        return kUploadScriptNotWritten;
    }
    Log(ZO_RU("Создан файл ") + Q + script + Q, kLogInformation);
    return kProjectFolderBuilt;
}

}  // namespace

std::string RuntimeProgramFile(const std::string& program) {
    const size_t n = program.size();
    if (n > 4 && strcasecmp(program.c_str() + n - 4, ".exe") == 0) return program.substr(0, n - 4);
    return program;
}

std::string StartScriptLine(const std::string& program, const std::string& projectName) {
    // A name with a blank is quoted, so it stays one argument; other names keep their bytes.
    return (program == "VT_win.exe" ? "start " : "") + CommandWord(program) + " " + CommandWord(projectName + ".cfg") +
           "\r\n";
}

}  // namespace zo::kernel

extern "C" int32_t BuildProjectFolder(const char* logName) { return zo::kernel::buildProjectFolder(logName); }
