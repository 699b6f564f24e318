#include "configurator/link/KroBuilder.h"

#include "common/LibraryBinding.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"
#include "platform/Registry.h"

namespace zo::configurator {

namespace {

const char kQ = '"';
void* g_handle = nullptr;
TBuildProc g_build = nullptr;

// Cleared when the program ends.
struct LibraryPath {
    std::string value;
} g_path;

void say(TLogProc log, const std::string& text, uint8_t level) {
    if (log) log(text.c_str(), level);
}

}  // namespace

void LoadBuilderLibrary(const std::string& subfolderIn, const std::string& libraryName, TLogProc log) {
    if (g_handle) UnloadBuilderLibrary(log);
    g_handle = nullptr;
    g_build = nullptr;
    const std::string subfolder = NormaliseSystemFolder(subfolderIn);
    const std::string here = platform::currentDir() + subfolder + "\\" + libraryName;
    std::string path = here;
    if (!platform::fileExists(path)) {
        const std::string fromRegistry = platform::registryProgramPath() + subfolder + "\\" + libraryName;
        if (platform::registryProgramPath().empty() || !platform::fileExists(fromRegistry)) {
            say(log, ZO_RU("Не найдена библиотека ") + here + kQ, 5);
            return;
        }
        path = fromRegistry;
        say(log, ZO_RU("Путь к библиотеки ") + kQ + path + kQ + ZO_RU(" получен из реестра"), 1);
    }
    g_path.value = path;
    g_handle = platform::loadLibrary(path);
    if (!g_handle) {
        say(log, ZO_RU("Не возможно загрузить библиотеку ") + kQ + path + kQ, 5);
        return;
    }
    g_build = reinterpret_cast<TBuildProc>(platform::findSymbol(g_handle, "Build"));
    if (g_build) {
        say(log, ZO_RU("Загружена библиотека ") + kQ + path + kQ, 2);
        return;
    }
    say(log, ZO_RU("Не получен адрес функции Build библиотеки ") + kQ + path + kQ, 5);
    platform::unloadLibrary(g_handle);
    g_handle = nullptr;
}

void UnloadBuilderLibrary(TLogProc log) {
    if (!g_handle) return;
    platform::unloadLibrary(g_handle);
    g_handle = nullptr;
    g_build = nullptr;
    say(log, ZO_RU("Выгружена библиотека ") + kQ + g_path.value + kQ, 2);
}

int32_t CallBuild(TBuildParams* params) { return g_build && params ? g_build(params) : -1; }

bool BuilderLibraryBound() { return g_handle != nullptr; }

std::string BuilderLibraryPath() { return g_handle ? g_path.value : std::string(); }

}  // namespace zo::configurator
