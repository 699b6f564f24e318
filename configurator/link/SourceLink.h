#pragma once
// The element library window's way into the kernel: the library file list, the
// program and device folders, block pictures and the host's status text. Every
// call does nothing (and answers empty) while no kernel record is bound.
// Texts cross as Windows-1251; the captions the window shows become QString here.

#include "common/abi/KernelOptions.h"

#include <QImage>
#include <QString>

#include <string>

namespace zo::configurator {

class SourceLink {
public:
    explicit SourceLink(TKernelOptions* kernel = nullptr) : kernel_(kernel) {}
    void SetKernel(TKernelOptions* kernel) { kernel_ = kernel; }
    TKernelOptions* Kernel() const { return kernel_; }
    bool Bound() const { return kernel_ != nullptr; }

    int ClearLibraryFiles();
    int AddLibraryFile(const std::string& path);
    int LibraryFileCount();
    std::string LibraryFile(int index);
    std::string ProgramFolder();
    std::string DeviceProgram();
    std::string DeviceFilePath();
    // The kernel's preview of a block (a copy; the kernel's picture is handed back
    // at once); a null image when there is none.
    QImage BlockPreview(const std::string& blockPath);
    // The block's description picture (a copy, released at once); null when none.
    QImage BlockInfoBitmap(const std::string& blockPath);
    void SetStatusText(int panel, const QString& text);
    // Whether the display options the kernel holds show hints.
    bool HintsShown() const;
    void Log(const std::string& text, uint8_t level);

    static QString text(const std::string& cp1251);
    static std::string Cp1251(const QString& text);

private:
    TKernelOptions* kernel_;
};

}  // namespace zo::configurator
