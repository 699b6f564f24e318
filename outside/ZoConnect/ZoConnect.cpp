// Stand-in for the product's outside connection library ZoConnect (program update: check, download, apply).
//
// The update source is named by the settings' UpdateSource (filled at
// initialization from the user's registry value "source" of
// Software\Orvanta\Configurator\Update): a folder, a "file:" address or an
// "http:" / "https:" address. It holds update.xml (root UPDATE; each child an
// entry with VERSION, INFO, IM and FILE children naming its files by NAME,
// EXEC="1" for programs) and the files of each entry below "<entry>/".
//
// StartDownload runs one operation for TargetName on the library's worker
// thread and posts NotifyMessage (kind 1) to WindowHandle when it ends:
//   AskDownload 1: fetch the list into <UpdateFolder>/update.xml and tell
//                  whether the entry's version differs from the one applied;
//   AskDownload 0: fetch the entry's files into <UpdateFolder>/<entry>/ and
//                  set UpdateReady.
//   A file is streamed into its staging file and refused past 512 MB; a file
//   named twice (in any spelling of the same path) is fetched once.
// ApplyUpdate moves the staged files into the program folder under a journal
// (UpdateApply.h); an apply found interrupted when the library is handed the
// program's folders is finished or rolled back, and ResumedApply tells which.
// Finalization waits for the worker, so the library is never unloaded under it.

#include "common/FileReplacement.h"
#include "common/SlotBarrier.h"
#include "common/abi/ConnectOptions.h"
#include "common/abi/ConnectSettings.h"
#include "outside/ZoConnect/UpdateApply.h"
#include "outside/ZoConnect/UpdateFiles.h"
#include "outside/ZoConnect/UpdateSource.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/WindowMessages.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using zo::configurator::TConnectSettings;
using zo::connect::FetchResult;

constexpr char kSourceKey[] = "Software\\Orvanta\\Configurator\\Update";

TConnectOptions g_record{};
std::mutex g_settingsMutex;  // guards g_settings
TConnectSettings g_settings{};
std::mutex g_jobMutex;       // held by the worker's operation and by an apply
std::mutex g_threadMutex;    // guards g_worker
std::thread g_worker;
std::atomic<bool> g_busy{false};
std::string g_resumeChecked;  // the folders an interrupted apply was last looked for in

// A worker still running when the process ends is waited for, not torn down.
struct JoinAtExit {
    ~JoinAtExit() {
        if (g_worker.joinable()) g_worker.join();
    }
} g_joinAtExit;

void log(const std::string& text, uint8_t level) {
    if (g_record.Log) g_record.Log(text.c_str(), level);
}

void reportFailure(const char* slot, const char* what) noexcept {
    try {
        log(std::string("ZoConnect ") + slot + ": " + what, kLogError);
    } catch (...) {
    }
}

template <size_t N>
std::string field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

template <size_t N>
void setField(char (&target)[N], const std::string& text) {
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(target, text.data(), n);
    std::memset(target + n, 0, N - n);
}

void joinWorker() {
    std::lock_guard lock(g_threadMutex);
    if (g_worker.joinable()) g_worker.join();
}

// What one operation works with, taken from the settings when it starts.
struct Job {
    std::string source;
    zo::configurator::TProxySettings proxy;
    std::string target;
    std::string updateFolder;  // native
    bool askDownload;
    uint32_t window;
    uint32_t message;
};

// The fields one operation sets.
struct Outcome {
    int32_t connectError = 0;
    int32_t available = 0;
    std::string info;  // Windows-1251
    uint8_t ready = 0;
    int32_t lastError = 0;
};

Outcome runJob(const Job& job) {
    Outcome out;
    const zo::connect::UpdateSource source(job.source, job.proxy);
    if (!zo::connect::ValidEntryName(job.target) || job.updateFolder.empty()) {
        log("ZoConnect: no update of \"" + job.target + "\" into \"" + job.updateFolder + "\"", kLogWarning);
        out.lastError = zo::configurator::kDownloadRefused;
        return out;
    }
    std::string list;
    const FetchResult got = source.Fetch("update.xml", &list);
    std::vector<zo::connect::UpdateEntry> entries;
    if (got != FetchResult::Ok || !zo::connect::ParseUpdateList(list, &entries)) {
        out.connectError = got == FetchResult::Ok ? 0 : 1;
        out.lastError = zo::configurator::kDownloadNotReceived;
        log("ZoConnect: no update list at \"" + job.source + "\"", kLogWarning);
        return out;
    }
    std::error_code ec;
    fs::create_directories(job.updateFolder, ec);
    if (!zo::connect::WriteBelow(job.updateFolder, "update.xml", list, 0644))
        log("ZoConnect: the update list cannot be written into \"" + job.updateFolder + "\"", kLogWarning);
    const zo::connect::UpdateEntry* entry = nullptr;
    for (const auto& candidate : entries)
        if (candidate.name == job.target) entry = &candidate;
    if (!entry) return out;
    const bool newer = !entry->version.empty() &&
                       entry->version != zo::connect::ReadInstalledVersion(job.updateFolder, job.target);
    if (!newer) return out;
    out.info = zo::platform::utf8ToCp1251(entry->info.empty() ? entry->caption + " " + entry->version : entry->info);
    out.available = 1;
    if (job.askDownload) return out;

    // The download: the staging folder afresh, the manifest last.
    const fs::path staging = fs::path(job.updateFolder) / job.target;
    fs::remove_all(staging, ec);
    fs::create_directories(staging, ec);
    zo::connect::Manifest manifest;
    manifest.version = entry->version;
    std::set<std::string> named;  // the files as the paths they name below the staging folder
    for (const auto& file : entry->files) {
        zo::connect::StagedFile staged;
        if (!zo::connect::ValidEntryPath(file.name, &staged.name) || staged.name == ".manifest") {
            log("ZoConnect: the update of \"" + job.target + "\" names \"" + file.name + "\"; refused", kLogWarning);
            out.lastError = zo::configurator::kDownloadRefused;
            fs::remove_all(staging, ec);
            return out;
        }
        if (!named.insert(staged.name).second) {
            log("ZoConnect: the update of \"" + job.target + "\" names \"" + staged.name + "\" twice; taken once",
                kLogWarning);
            continue;
        }
        staged.mode = file.executable ? 0755 : 0644;
        // Streamed into the staging file: never held whole, and bounded by the source.
        const std::unique_ptr<zo::FileReplacement> into = zo::connect::OpenBelow(staging.string(), staged.name, 0644);
        FetchResult fetched = FetchResult::NotWritten;
        if (into)
            fetched = source.Fetch(job.target + "/" + staged.name,
                                   [&into](const char* data, size_t size) { return into->Write(data, size); });
        if (fetched == FetchResult::Ok && into->Commit() != zo::kReplaceOk) fetched = FetchResult::NotWritten;
        if (fetched != FetchResult::Ok) {
            log("ZoConnect: \"" + staged.name + "\" of the update of \"" + job.target + "\" not received" +
                    (fetched == FetchResult::Refused ? " (refused: not a plain file, or larger than " +
                                                           std::to_string(zo::connect::kMaxUpdateFileBytes) + " bytes)"
                                                     : std::string()),
                kLogWarning);
            out.connectError = fetched == FetchResult::NoConnection ? 1 : 0;
            out.lastError = fetched == FetchResult::Refused      ? zo::configurator::kDownloadRefused
                            : fetched == FetchResult::NotWritten ? zo::configurator::kDownloadNotWritten
                                                                 : zo::configurator::kDownloadNotReceived;
            fs::remove_all(staging, ec);
            return out;
        }
        manifest.files.push_back(staged);
    }
    if (!zo::connect::WriteManifest(staging.string(), manifest)) {
        out.lastError = zo::configurator::kDownloadNotWritten;
        return out;
    }
    out.ready = 1;
    return out;
}

void workerBody(Job job) {
    Outcome out;
    {
        std::lock_guard jobLock(g_jobMutex);
        try {
            out = runJob(job);
        } catch (const std::exception& e) {
            reportFailure("StartDownload", e.what());
            out.lastError = zo::configurator::kDownloadNotWritten;
        }
    }
    {
        std::lock_guard lock(g_settingsMutex);
        g_settings.ConnectError = out.connectError;
        g_settings.UpdateAvailable1 = out.available;
        g_settings.UpdateAvailable2 = 0;
        setField(g_settings.UpdateInfo, out.info);
        g_settings.UpdateReady = out.ready;
        g_settings.LastError = out.lastError;
    }
    g_busy = false;
    zo::platform::PostWindowMessage(job.window, job.message, zo::configurator::kConnectOperationEnded, 0);
}

void initialize() {
    std::lock_guard lock(g_settingsMutex);
    g_settings = TConnectSettings{};
    g_settings.NotifyMessage = zo::configurator::kConnectNotifyMessage;
    g_settings.AskDownload = 1;
    setField(g_settings.UpdateSource,
             zo::platform::readRegistry(zo::platform::RegistryRoot::CurrentUser, kSourceKey, "source").value_or(""));
}

void finalize() {
    joinWorker();
    g_resumeChecked.clear();
}

void getSettings(void* settings) {
    if (!settings) return;
    std::lock_guard lock(g_settingsMutex);
    std::memcpy(settings, &g_settings, sizeof g_settings);
}

// Once the library knows the program's folders: an apply that was interrupted
// there is finished or rolled back, and the settings tell which.
void resumeInterruptedApply() {
    std::string programFolder, updateFolder;
    {
        std::lock_guard lock(g_settingsMutex);
        programFolder = field(g_settings.ProgramFolder);
        updateFolder = field(g_settings.UpdateFolder);
    }
    if (programFolder.empty() || updateFolder.empty() || g_resumeChecked == programFolder + "\n" + updateFolder) return;
    g_resumeChecked = programFolder + "\n" + updateFolder;
    std::lock_guard jobLock(g_jobMutex);
    const zo::connect::ResumedApply resumed = zo::connect::ResumeInterruptedApply(
        zo::platform::nativePath(programFolder), zo::platform::nativePath(updateFolder));
    if (resumed.result == zo::connect::ResumeResult::None) return;
    const bool finished = resumed.result == zo::connect::ResumeResult::Finished;
    log("ZoConnect: the interrupted update of \"" + resumed.entry + "\" was " +
            (finished ? std::string("finished") : "rolled back" + (resumed.reason.empty() ? "" : ": " + resumed.reason)),
        finished ? kLogMilestone : kLogWarning);
    std::lock_guard lock(g_settingsMutex);
    g_settings.ResumedApply = finished ? zo::configurator::kResumedFinished : zo::configurator::kResumedRolledBack;
    setField(g_settings.ResumedTarget, resumed.entry);
}

void setSettings(void* settings) {
    if (!settings) return;
    {
        std::lock_guard lock(g_settingsMutex);
        std::memcpy(&g_settings, settings, sizeof g_settings);
    }
    resumeInterruptedApply();
}

void startDownload() {
    if (g_busy.exchange(true)) {
        log("ZoConnect: an update operation is already running", kLogWarning);
        return;
    }
    Job job;
    {
        std::lock_guard lock(g_settingsMutex);
        job.source = field(g_settings.UpdateSource);
        job.proxy = g_settings.Proxy;
        job.target = field(g_settings.TargetName);
        job.updateFolder = zo::platform::nativePath(field(g_settings.UpdateFolder));
        if (field(g_settings.UpdateFolder).empty()) job.updateFolder.clear();
        job.askDownload = g_settings.AskDownload != 0;
        job.window = g_settings.WindowHandle;
        job.message = g_settings.NotifyMessage;
        g_settings.UpdateReady = 0;
    }
    joinWorker();
    std::lock_guard lock(g_threadMutex);
    try {
        g_worker = std::thread(workerBody, std::move(job));
    } catch (...) {
        g_busy = false;
        throw;
    }
}

int32_t applyUpdate(const char* targetName, const char* programFolder, const char* updateFolder) {
    if (!targetName || !programFolder || !updateFolder || !*programFolder || !*updateFolder)
        return zo::configurator::kApplyNothingStaged;
    std::lock_guard jobLock(g_jobMutex);
    std::string reason;
    const int32_t result = zo::connect::ApplyStaged(zo::platform::nativePath(programFolder),
                                                    zo::platform::nativePath(updateFolder), targetName, &reason);
    if (result == zo::configurator::kApplyOk) {
        log(std::string("ZoConnect: update of \"") + targetName + "\" applied", kLogInformation);
        std::lock_guard lock(g_settingsMutex);
        g_settings.UpdateReady = 0;
        g_settings.UpdateAvailable1 = 0;
        g_settings.LastError = 0;
    } else {
        log(std::string("ZoConnect: update of \"") + targetName + "\" not applied: " + reason, kLogWarning);
        std::lock_guard lock(g_settingsMutex);
        g_settings.LastError = result;
    }
    return result;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    static const char description[] = "ZoConnect: update from a folder or address";
    std::memset(g_record.Description, 0, sizeof g_record.Description);
    std::memcpy(g_record.Description, description, std::min(sizeof description, sizeof g_record.Description - 1));
    g_record.Initialize = zo::SlotBarrier<reportFailure, "Initialize", initialize>::Call;
    g_record.Finalize = zo::SlotBarrier<reportFailure, "Finalize", finalize>::Call;
    g_record.GetSettings = zo::SlotBarrier<reportFailure, "GetSettings", getSettings>::Call;
    g_record.SetSettings = zo::SlotBarrier<reportFailure, "SetSettings", setSettings>::Call;
    g_record.StartDownload = zo::SlotBarrier<reportFailure, "StartDownload", startDownload>::Call;
    g_record.ApplyUpdate =
        zo::SlotBarrier<reportFailure, "ApplyUpdate", applyUpdate, zo::configurator::kApplyFailed>::Call;
    *record = &g_record;
    *size = int32_t(sizeof(TConnectOptions));
}
