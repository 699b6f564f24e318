#include "KernelHost.h"

#include "platform/Cp1251.h"
#include "platform/DynLib.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zo::test {

namespace {
LogRecorder* g_recorder = nullptr;
}

LogRecorder::LogRecorder() { g_recorder = this; }
LogRecorder::~LogRecorder() { g_recorder = nullptr; }

void LogRecorder::Proc(const char* text, uint8_t level) {
    if (g_recorder) g_recorder->lines.push_back({platform::cp1251ToUtf8(text ? text : ""), level});
}

void LogRecorder::WriteProc(const char* logName, const char* text, int32_t mode, int32_t level) {
    if (!g_recorder) return;
    g_recorder->logNames.push_back(logName ? logName : "");
    g_recorder->modes.push_back(mode);
    g_recorder->lines.push_back({platform::cp1251ToUtf8(text ? text : ""), level});
}

bool LogRecorder::has(const std::string& utf8) const {
    for (const LogLine& l : lines)
        if (l.text == utf8) return true;
    return false;
}

std::vector<std::string> LogRecorder::texts() const {
    std::vector<std::string> out;
    for (const LogLine& l : lines) out.push_back(l.text);
    return out;
}

ProgramFolder::ProgramFolder(bool withProgram) : path_(dir_.str()) {
    if (withProgram) writeBytes(path_ + "/Configurator", "");
    for (const char* d : {"Runtime", "Configuration", "Upload", "Device", "Project"}) fs::create_directory(path_ + "/" + d);
    fs::copy(std::string(ZO_PROGRAM_DIR) + "/Struct", path_ + "/Struct", fs::copy_options::recursive);
    // The settings a run of the built program left there are not shipped.
    fs::remove(path_ + "/Struct/Configurator.xml");
    fs::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", path_ + "/System");
}

const TConvertOptions* ConvertOptions() {
    static const TConvertOptions* record = static_cast<const TConvertOptions*>(LoadLibraryRecord("ZoConvert.so").record);
    return record;
}

}  // namespace zo::test
