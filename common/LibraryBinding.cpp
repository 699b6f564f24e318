#include "common/LibraryBinding.h"

#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"
#include "platform/Registry.h"

#include <cstring>

namespace zo {

namespace {

const std::string Q = "\"";

void say(TLogProc log, const std::string& text, uint8_t level) {
    if (log) log(text.c_str(), level);
}

// The head every outside record starts with: Description[40], HostApplication,
// HostScreen, and (for libraries with life slots) initialization and finalization.
struct RecordHead {
    char Description[40];
    void* HostApplication;
    void* HostScreen;
    void (*Initialize)();
    void (*Finalize)();
};

}  // namespace

std::string NormaliseSystemFolder(const std::string& folder) {
    std::string out;
    size_t start = 0;
    while (start <= folder.size()) {
        const size_t end = folder.find_first_of("\\/", start);
        std::string part = folder.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.size() == 6) {
            std::string lower = part;
            for (char& c : lower) c = char((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
            if (lower == "system") part = "System";
        }
        out += part;
        if (end == std::string::npos) break;
        out += folder[end];
        start = end + 1;
    }
    return out;
}

TLibraryBinding::TLibraryBinding(LibraryBindingSpec spec) : spec_(std::move(spec)) {}

TLibraryBinding::~TLibraryBinding() = default;

void TLibraryBinding::fail(TLogProc log, const std::string& text) {
    say(log, text, kLogError);
    if (handle_) platform::unloadLibrary(handle_);
    handle_ = nullptr;
    record_ = nullptr;
    export_ = nullptr;
}

std::string TLibraryBinding::locate(const std::string& folder, TLogProc log) const {
    if (!spec_.searchWithRegistry) return folder + spec_.fileName;
    const std::string here = platform::currentDir() + folder + "\\" + spec_.fileName;
    if (platform::fileExists(here)) return here;
    std::string fromRegistry = platform::registryProgramPath() + folder + "\\" + spec_.fileName;
    if (!platform::fileExists(fromRegistry) && !spec_.lastRegistrySubfolder.empty())
        fromRegistry = platform::registryProgramPath() + spec_.lastRegistrySubfolder + "\\" + spec_.fileName;
    if (!platform::fileExists(fromRegistry)) {
        say(log, ZO_RU("Не найдена библиотека ") + here + Q, kLogError);
        return {};
    }
    if (spec_.logRegistryPath)
        say(log, ZO_RU("Путь к библиотеки ") + Q + fromRegistry + Q + ZO_RU(" получен из реестра"), kLogInformation);
    return fromRegistry;
}

bool TLibraryBinding::Load(const std::string& folderIn, TLogProc log, void* application, void* screen) {
    record_ = nullptr;
    export_ = nullptr;
    handle_ = nullptr;
    const std::string folder = NormaliseSystemFolder(folderIn);
    path_ = locate(folder, log);
    if (path_.empty()) return false;
    handle_ = platform::loadLibrary(path_);
    if (!handle_) {
        fail(log, ZO_RU("Не возможно загрузить библиотеку ") + Q + path_ + Q);
        return false;
    }
    void* entry = platform::findSymbol(handle_, spec_.exportName.c_str());
    if (!entry) {
        fail(log, ZO_RU("Не получен адрес ") + spec_.exportName + ZO_RU(" библиотеки ") + Q + path_ + Q);
        return false;
    }
    if (!spec_.hasRecord) {
        export_ = entry;
        return true;
    }
    auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(entry);
    void* record = nullptr;
    int32_t size = 0;
    getInfo(&record, &size);
    if (size != spec_.recordSize || !record) {
        fail(log, ZO_RU("Не совпадение размера структуры ") + spec_.recordName + ZO_RU(" библиотеки ") + Q + path_ + Q);
        return false;
    }
    record_ = record;
    auto* head = static_cast<RecordHead*>(record_);
    if (spec_.writeHostObjects) {
        head->HostApplication = application;
        head->HostScreen = screen;
    }
    const std::string name = spec_.successName.empty() ? path_ : spec_.successName;
    say(log, ZO_RU("Загружена библиотека ") + Q + name + Q + spec_.successGap + std::string(head->Description, strnlen(head->Description, sizeof head->Description)), kLogMilestone);
    if (spec_.prepareRecord) spec_.prepareRecord(record_);
    if (spec_.callLifeSlots && head->Initialize) head->Initialize();
    return true;
}

void TLibraryBinding::Unload(TLogProc log) {
    if (!handle_) return;
    if (spec_.callLifeSlots && record_) {
        auto* head = static_cast<RecordHead*>(record_);
        if (head->Finalize) head->Finalize();
    }
    platform::unloadLibrary(handle_);
    handle_ = nullptr;
    record_ = nullptr;
    export_ = nullptr;
    if (!spec_.unloadLine.empty()) say(log, spec_.unloadLine, kLogMilestone);
}

}  // namespace zo
