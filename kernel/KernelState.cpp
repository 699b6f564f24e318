#include "kernel/KernelState.h"

#include "common/Struct.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <cstring>

namespace zo::kernel {

namespace {
KernelState* g_state = nullptr;
TKernelOptions g_options{};
}  // namespace

KernelState::KernelState() : structCache(new TArhivStruc) {
    const std::string cwd = platform::currentDir();
    std::strncpy(programFolder, cwd.c_str(), sizeof programFolder - 1);
    lineTypes.SetItemSize(kLineTypeItemSize);
    sheets.SetItemSize(kSheetItemSize);
    clipboardBlocks.SetItemSize(kBlockItemSize);
    clipboardLinks.SetItemSize(kConnectionItemSize);
    layingLink.SetItemSize(kConnectionItemSize);
    channels.SetItemSize(kChannelItemSize);
    libraryFiles.SetItemSize(kLibraryFileItemSize);
    paintBitmap = QImage(1, 1, QImage::Format_RGB32);
    workBitmap = QImage(1, 1, QImage::Format_RGB32);
}

KernelState::~KernelState() {
    std::free(headerRecord);
    delete sharedDescription;
    delete structCache;
}

KernelState& State() { return *g_state; }
TKernelOptions& Options() { return g_options; }

void CreateState() {
    if (!g_state) g_state = new KernelState;
}

void DestroyState() {
    delete g_state;
    g_state = nullptr;
}

bool StateExists() { return g_state != nullptr; }

}  // namespace zo::kernel
