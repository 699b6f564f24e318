#include "configurator/link/ProjectSession.h"

#include "common/KroKernelConfig.h"
#include "common/StringList.h"
#include "common/abi/KernelOptions.h"
#include "common/abi/SheetRecord.h"
#include "configurator/link/HostSlots.h"
#include "configurator/link/KroConvert.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/ProjectComparison.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace zo::configurator {

namespace {

constexpr char kExtension[] = ".hc";

// A kernel text, copied at once (the next call may overwrite it); empty for nil.
std::string copied(const char* text) { return text ? std::string(text) : std::string(); }

std::string cp(const QString& text) { return platform::qstringToCp1251(text); }

QString withSeparator(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith('\\')) folder += '/';
    return folder;
}

SessionResult resultOf(int32_t code) { return code == 0 ? SessionResult::Done : SessionResult::Refused; }

// OpenProject's answers for a file that parsed but is no project.
constexpr int32_t kOpenRootNotOne = -2;
constexpr int32_t kOpenNoProjectRecord = -3;

}  // namespace

TProjectSession::TProjectSession(TKernelOptions* record, QObject* parent) : QObject(parent), record_(record) {
    setObjectName("ProjectSession");
}

TProjectSession::~TProjectSession() = default;

bool TProjectSession::BindKernel(void* application, TLogProc log) {
    LoadKernelLibrary("\\system", application, nullptr, log);
    record_ = KernelOptionsPtr;
    saveCopy_ = SaveProjectCopyPtr;
    return Bound();
}

void TProjectSession::UnbindKernel(TLogProc log) {
    record_ = nullptr;
    saveCopy_ = nullptr;
    UnloadKernelLibrary(log);
}

void TProjectSession::Start(IHostServices* services) {
    if (!record_) return;
    TKernelOptions& k = *record_;
    if (LogsOptionsPtr && LogsOptionsPtr->WriteLine && k.SetLogCallback)
        k.SetLogCallback(kProgramLogName, LogsOptionsPtr->WriteLine);
    SetHostServices(services);
    WriteHostSlots(k);
    if (ConvertOptionsPtr) k.ConvertOptions = ConvertOptionsPtr;
    if (k.KernelInit) k.KernelInit();
}

// ---------------------------------------------------------------------------------------------
// The open project

QString TProjectSession::FilePath() const { return name_.isEmpty() ? QString() : folder_ + name_ + kExtension; }

QString TProjectSession::ShownPath() const { return folder_.isEmpty() ? name_ : FilePath(); }

QString TProjectSession::DeviceFilePath() const { return platform::cp1251ToQString(DeviceFilePathText()); }

void TProjectSession::Assign(const QString& folder, const QString& name) {
    folder_ = withSeparator(folder);
    name_ = name;
}

bool TProjectSession::KernelCanName(const QString& path) {
    bool lossless = true;
    platform::qstringToCp1251(path, &lossless);
    return lossless;
}

QString TProjectSession::ProjectFileOf(const QString& path) {
    const QFileInfo info(path);
    return withSeparator(info.absolutePath()) + info.completeBaseName() + kExtension;
}

void TProjectSession::SetFile(const QString& path) {
    const QFileInfo info(path);
    folder_ = withSeparator(info.absolutePath());
    name_ = info.completeBaseName();
}

void TProjectSession::clear() {
    folder_.clear();
    name_.clear();
    baseline_.reset();
    stamp_ = {};
}

void TProjectSession::KeepOpened() {
    stamp_ = StampOf(FilePath());
    const std::optional<QByteArray> text = ProjectTextNow(saveCopy_, record_, name_);
    baseline_ = text ? std::optional<QByteArray>(WithoutDerivedFields(*text)) : std::nullopt;
}

void TProjectSession::KeepSaved() {
    // The file holds what the kernel saved: the text the next comparison starts from.
    std::optional<QByteArray> saved;
    stamp_ = StampOf(FilePath(), &saved);
    baseline_ = saved ? std::optional<QByteArray>(WithoutDerivedFields(*saved)) : std::nullopt;
}

SessionResult TProjectSession::New(const std::string& name, const std::string& deviceFile) {
    if (!record_ || !record_->NewProject) return SessionResult::NotBound;
    if (record_->NewProject(name.c_str(), deviceFile.c_str()) != 0) return SessionResult::Refused;
    clear();
    name_ = platform::cp1251ToQString(name);
    emit Opened();
    return SessionResult::Done;
}

SessionResult TProjectSession::Open(const QString& path) {
    SetFile(path);
    return OpenAssigned();
}

SessionResult TProjectSession::OpenAssigned() {
    if (!record_) {
        clear();
        return SessionResult::NotBound;
    }
    if (!KernelCanName(FilePath())) {
        clear();
        emit Closed();
        return SessionResult::Unnamable;
    }
    const int32_t r = record_->OpenProject ? record_->OpenProject(cp(FilePath()).c_str()) : -1;
    if (r != 0) {
        if (record_->CloseProject) record_->CloseProject("");
        clear();
        emit Closed();
        if (!record_->OpenProject) return SessionResult::NotBound;
        return r == kOpenRootNotOne || r == kOpenNoProjectRecord ? SessionResult::NotProject : SessionResult::Refused;
    }
    KeepOpened();
    emit Opened();
    return SessionResult::Done;
}

SessionResult TProjectSession::Save(const QString& path) {
    if (!record_ || !record_->SaveProject) return SessionResult::NotBound;
    if (!KernelCanName(path)) return SessionResult::Unnamable;
    if (record_->SaveProject(cp(path).c_str()) != 0) return SessionResult::Refused;
    SetFile(path);
    KeepSaved();
    emit Renamed();
    return SessionResult::Done;
}

void TProjectSession::Close() {
    if (record_ && record_->CloseProject) record_->CloseProject(cp(folder_ + name_ + kExtension).c_str());
    clear();
    emit Closed();
}

void TProjectSession::CloseForExit() {
    if (record_ && record_->CloseProject) record_->CloseProject("");
}

bool TProjectSession::DiffersFromFile() const {
    if (!baseline_) return true;
    const std::optional<QByteArray> now = ProjectTextNow(saveCopy_, record_, name_);
    return !now || WithoutDerivedFields(*now) != *baseline_;
}

bool TProjectSession::FileStillOurs() const { return folder_.isEmpty() || StillStamped(stamp_, FilePath()); }

QString TProjectSession::RecoveryPath() const {
    if (name_.isEmpty()) return {};
    const QString folder = folder_.isEmpty() ? withSeparator(FolderPath(KernelFolder::Project)) : folder_;
    return folder.isEmpty() ? QString() : folder + name_ + kExtension + ".recovery";
}

bool TProjectSession::SaveRecoveryCopy() const {
    const QString path = RecoveryPath();
    if (!saveCopy_ || path.isEmpty() || !KernelCanName(path)) return false;
    return saveCopy_(cp(path).c_str()) == 0;
}

// ---------------------------------------------------------------------------------------------
// Sheets, header, library files

void TProjectSession::AddSheet() const {
    if (record_ && record_->AddSheet) record_->AddSheet();
}

void TProjectSession::EditProjectHeader() const {
    if (record_ && record_->EditProjectHeader) record_->EditProjectHeader();
}

int TProjectSession::SheetCount() const {
    return record_ && record_->GetSheetCount ? int(record_->GetSheetCount() & 0xFFFF) : 0;
}

QString TProjectSession::SheetName(int index) const {
    const TSheetRecord* sheet = record_ && record_->GetSheet ? record_->GetSheet(int16_t(index)) : nullptr;
    if (!sheet) return {};
    char name[sizeof sheet->Name + 1] = {};
    std::memcpy(name, sheet->Name, sizeof sheet->Name);
    return platform::cp1251ToQString(name);
}

void TProjectSession::OpenSheetWindow(const QString& sheet) const {
    if (record_ && record_->OpenSheetWindow) record_->OpenSheetWindow(cp(sheet).c_str());
}

int TProjectSession::LibraryFileCount() const {
    return record_ && record_->LibraryFileCount ? record_->LibraryFileCount() : 0;
}

QString TProjectSession::LibraryFile(int index) const {
    if (!record_ || !record_->GetLibraryFile) return {};
    const char* file = record_->GetLibraryFile(index);
    return file ? platform::cp1251ToQString(file) : QString();
}

// ---------------------------------------------------------------------------------------------
// Folders and device

std::string TProjectSession::FolderText(KernelFolder folder) const {
    if (!record_) return {};
    TGetTextProc slot = nullptr;
    switch (folder) {
    case KernelFolder::Program: slot = record_->GetProgramFolder; break;
    case KernelFolder::Device: slot = record_->GetDeviceFolder; break;
    case KernelFolder::Project: slot = record_->GetProjectFolder; break;
    case KernelFolder::Struct: slot = record_->GetStructFolder; break;
    case KernelFolder::Upload: slot = record_->GetUploadFolder; break;
    case KernelFolder::Configuration: slot = record_->GetConfigurationFolder; break;
    case KernelFolder::DeviceRuntime: slot = record_->GetDeviceRuntimeFolder; break;
    }
    return slot ? copied(slot()) : std::string();
}

QString TProjectSession::FolderPath(KernelFolder folder) const {
    const std::string text = FolderText(folder);
    return text.empty() ? QString() : QString::fromStdString(platform::nativePath(text));
}

QString TProjectSession::ProgramPath(const std::string& relative) const {
    if (!record_ || !record_->GetProgramFolder) return {};
    return QString::fromStdString(platform::nativePath(FolderText(KernelFolder::Program) + relative));
}

std::string TProjectSession::DeviceFilePathText() const {
    return record_ && record_->GetDeviceFilePath ? copied(record_->GetDeviceFilePath()) : std::string();
}

std::string TProjectSession::DeviceProgramText() const {
    return record_ && record_->GetDeviceProgram ? copied(record_->GetDeviceProgram()) : std::string();
}

// ---------------------------------------------------------------------------------------------
// Modes and builds

int TProjectSession::Mode() const { return record_ && record_->GetMode ? record_->GetMode() : -1; }

void TProjectSession::SetMode(KernelMode mode) const {
    if (record_ && record_->SetMode) record_->SetMode(uint8_t(mode));
}

SessionResult TProjectSession::BuildProjectFolder(const char* logName) const {
    if (!record_ || !record_->BuildProjectFolder) return SessionResult::NotBound;
    return resultOf(record_->BuildProjectFolder(logName));
}

SessionResult TProjectSession::CreateConfigFile(const std::string& cfgPath, const char* logName,
                                                std::vector<std::string>* libraries) const {
    if (libraries) libraries->clear();
    if (!record_ || !record_->CreateConfigFile) return SessionResult::NotBound;
    if (!libraries) return resultOf(record_->CreateConfigFile(cfgPath.c_str(), logName, nullptr));
    TStringListTable list;
    const int32_t rc = record_->CreateConfigFile(cfgPath.c_str(), logName, list.List());
    *libraries = list.Items();
    return resultOf(rc);
}

TBuildInputs TProjectSession::BuildInputs() const {
    TBuildInputs in;
    in.ProjectName = cp(name_);
    in.DeviceFilePath = DeviceFilePathText();
    in.DeviceProgram = DeviceProgramText();
    in.ProgramFolder = FolderText(KernelFolder::Program);
    in.DeviceFolder = FolderText(KernelFolder::Device);
    in.DeviceRuntimeFolder = FolderText(KernelFolder::DeviceRuntime);
    in.ConfigurationFolder = FolderText(KernelFolder::Configuration);
    in.UploadFolder = FolderText(KernelFolder::Upload);
    in.CreateConfig = record_ ? record_->CreateConfigFile : nullptr;
    return in;
}

// ---------------------------------------------------------------------------------------------
// Option blocks

TOptionBlockSlot TProjectSession::LoadOptionBlockSlot() const { return record_ ? record_->LoadOptionBlock : nullptr; }
TOptionBlockSlot TProjectSession::SaveOptionBlockSlot() const { return record_ ? record_->SaveOptionBlock : nullptr; }

}  // namespace zo::configurator
