#include "kernel/BlockPreview.h"

#include "common/abi/BlockRecord.h"
#include "kernel/BlockPrepare.h"
#include "kernel/OutsideLibraries.h"

#include <cstring>
#include <exception>

using namespace zo::kernel;

extern "C" int32_t GetBlockPreview(const char* blockPath, void** bitmap) {
    if (!bitmap || *bitmap || !blockPath) return -1;
    TBlockRecord block;
    std::memset(&block, 0, sizeof block);
    std::strncpy(block.DescriptionPath, blockPath, sizeof block.DescriptionPath - 1);
    try {
        if (PrepareBlock(&block) != 0) return -1;
        // The picture is the caller's now; the rest of the block goes.
        void* picture = block.Picture;
        block.Picture = nullptr;
        if (ReleaseBlock(&block) != 0) {
            FreeBlockPreview(&picture);
            return -2;
        }
        *bitmap = picture;
        return 0;
    } catch (const std::exception&) {
        ReleaseBlock(&block);
        return -1;
    }
}

extern "C" int32_t FreeBlockPreview(void** bitmap) {
    if (!bitmap || !*bitmap) return -1;
    const TGraficOptions* grafic = GraficOptions();
    if (!grafic) return -2;
    const TGraficReleaseProc release = grafic->ReleasePicture;
    if (!release) return -2;
    return release(bitmap);
}
