#include "BuildHost.h"

#include "configurator/shell/XmlQuery.h"
#include "configurator/shell/ZoConsole.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"

#include <algorithm>
#include <cstring>

namespace zo::test {

namespace {

BuildHost* g_host = nullptr;

void logProc(const char* text, uint8_t level) {
    if (g_host) g_host->log.push_back({platform::cp1251ToUtf8(text ? text : ""), level});
}

int32_t createConfigProc(const char* cfgPath, const char*, TZoStringList* list) {
    if (!g_host || !g_host->createConfig) return -1;
    std::vector<std::string> libraries;
    const int32_t rc = g_host->createConfig(cfgPath ? cfgPath : "", libraries);
    if (list && list->Clear && list->Add) {
        list->Clear(list);
        for (const std::string& l : libraries) list->Add(list, l.c_str());
    }
    return rc;
}

// The program's runner, recording each command line.
int32_t runProgram(const char* workFolder, const char* commandLine, TLogProc log) {
    if (g_host) g_host->commandLines.push_back(platform::cp1251ToUtf8(commandLine ? commandLine : ""));
    return RunProcessCallback(workFolder, commandLine, log);
}

}  // namespace

BuildHost::BuildHost() {
    g_host = this;
    library_ = platform::loadLibrary(std::string(ZO_PROGRAM_DIR) + "/System/ZoAVRbuilder.so");
    if (library_) build_ = reinterpret_cast<TBuildProc>(platform::findSymbol(library_, "Build"));
    params.Log = logProc;
    params.RunProgram = runProgram;
    params.ReadXmlList = XmlQueryListCallback;
    params.ReadXmlValue = XmlQueryValueCallback;
    params.CreateConfig = createConfigProc;
}

BuildHost::~BuildHost() {
    if (library_) platform::unloadLibrary(library_);
    g_host = nullptr;
}

void BuildHost::set(char* field, size_t size, const std::string& utf8) {
    const std::string text = platform::utf8ToCp1251(utf8);
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

int32_t BuildHost::run() { return build_ ? build_(&params) : -100; }

bool BuildHost::logged(const std::string& utf8, int level) const {
    for (const BuildLogLine& l : log)
        if (l.text == utf8 && l.level == level) return true;
    return false;
}

std::string BuildHost::logText() const {
    std::string out;
    for (const BuildLogLine& l : log) out += std::to_string(l.level) + ": " + l.text + "\n";
    return out;
}

}  // namespace zo::test
