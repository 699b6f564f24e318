#include "kernel/BlockPreview.h"

#include "common/abi/BlockRecord.h"
#include "kernel/BlockPrepare.h"
#include "kernel/OutsideLibraries.h"

#include <cstring>

using namespace zo::kernel;

extern "C" int32_t GetBlockPreview(const char* blockPath, void** bitmap) {
    if (!bitmap || *bitmap || !blockPath) return kPreviewRefused;
    TBlockRecord block;
    std::memset(&block, 0, sizeof block);
    std::strncpy(block.DescriptionPath, blockPath, sizeof block.DescriptionPath - 1);
    try {
        if (PrepareBlock(&block) != 0) return kPreviewRefused;
        // The picture is the caller's now; the rest of the block goes.
        void* picture = block.Picture;
        block.Picture = nullptr;
        if (ReleaseBlock(&block) != 0) {
            FreeBlockPreview(&picture);
            return kPreviewNotReleased;
        }
        *bitmap = picture;
        return kPreviewMade;
    } catch (...) {
        ReleaseBlock(&block);
        throw;
    }
}

extern "C" int32_t FreeBlockPreview(void** bitmap) {
    if (!bitmap || !*bitmap) return kPreviewRefused;
    const TGraficOptions* grafic = GraficOptions();
    if (!grafic) return kPreviewNotReleased;
    const TGraficReleaseProc release = grafic->ReleasePicture;
    if (!release) return kPreviewNotReleased;
    return release(bitmap);
}
