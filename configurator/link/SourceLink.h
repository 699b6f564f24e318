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
    void setKernel(TKernelOptions* kernel) { kernel_ = kernel; }
    TKernelOptions* kernel() const { return kernel_; }
    bool bound() const { return kernel_ != nullptr; }

    int clearLibraryFiles();
    int addLibraryFile(const std::string& path);
    int libraryFileCount();
    std::string libraryFile(int index);
    std::string programFolder();
    std::string deviceProgram();
    std::string deviceFilePath();
    // The kernel's preview of a block (a copy; the kernel's picture is handed back
    // at once); a null image when there is none.
    QImage blockPreview(const std::string& blockPath);
    // The block's description picture (a copy, released at once); null when none.
    QImage blockInfoBitmap(const std::string& blockPath);
    void setStatusText(int panel, const QString& text);
    // Whether the display options the kernel holds show hints.
    bool hintsShown() const;
    void log(const std::string& text, uint8_t level);

    static QString text(const std::string& cp1251);
    static std::string cp1251(const QString& text);

private:
    TKernelOptions* kernel_;
};

}  // namespace zo::configurator
