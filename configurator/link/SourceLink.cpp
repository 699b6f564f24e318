#include "configurator/link/SourceLink.h"

#include "configurator/link/VisibleOptionsLink.h"

#include "platform/Cp1251.h"

namespace zo::configurator {

namespace {
std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }
}  // namespace

int SourceLink::ClearLibraryFiles() {
    return kernel_ && kernel_->ClearLibraryFiles ? kernel_->ClearLibraryFiles() : -1;
}

int SourceLink::AddLibraryFile(const std::string& path) {
    return kernel_ && kernel_->AddLibraryFile ? kernel_->AddLibraryFile(path.c_str()) : -1;
}

int SourceLink::LibraryFileCount() {
    return kernel_ && kernel_->LibraryFileCount ? kernel_->LibraryFileCount() : 0;
}

std::string SourceLink::LibraryFile(int index) {
    return kernel_ && kernel_->GetLibraryFile ? textOf(kernel_->GetLibraryFile(index)) : std::string();
}

std::string SourceLink::ProgramFolder() {
    return kernel_ && kernel_->GetProgramFolder ? textOf(kernel_->GetProgramFolder()) : std::string();
}

std::string SourceLink::DeviceProgram() {
    return kernel_ && kernel_->GetDeviceProgram ? textOf(kernel_->GetDeviceProgram()) : std::string();
}

std::string SourceLink::DeviceFilePath() {
    return kernel_ && kernel_->GetDeviceFilePath ? textOf(kernel_->GetDeviceFilePath()) : std::string();
}

QImage SourceLink::BlockPreview(const std::string& blockPath) {
    if (!kernel_ || !kernel_->GetBlockPreview) return {};
    void* picture = nullptr;
    if (kernel_->GetBlockPreview(blockPath.c_str(), &picture) != 0 || !picture) return {};
    QImage copy = static_cast<const QImage*>(picture)->copy();
    if (kernel_->FreeBlockPreview) kernel_->FreeBlockPreview(&picture);
    return copy;
}

QImage SourceLink::BlockInfoBitmap(const std::string& blockPath) {
    if (!kernel_ || !kernel_->GetBlockInfoBitmap) return {};
    void* picture = nullptr;
    if (kernel_->GetBlockInfoBitmap(blockPath.c_str(), &picture) != 0 || !picture) return {};
    QImage copy = static_cast<const QImage*>(picture)->copy();
    if (kernel_->ReleaseObject) kernel_->ReleaseObject(&picture);
    return copy;
}

bool SourceLink::HintsShown() const { return VisibleOptionsOf(kernel_).ShowHints != 0; }

void SourceLink::SetStatusText(int panel, const QString& text) {
    if (kernel_ && kernel_->SetStatusText) kernel_->SetStatusText(panel, Cp1251(text).c_str());
}

void SourceLink::Log(const std::string& text, uint8_t level) {
    if (kernel_ && kernel_->KernelLog) kernel_->KernelLog(text.c_str(), level);
}

QString SourceLink::text(const std::string& cp1251Text) { return platform::cp1251ToQString(cp1251Text); }

std::string SourceLink::Cp1251(const QString& text) { return platform::qstringToCp1251(text); }

}  // namespace zo::configurator
