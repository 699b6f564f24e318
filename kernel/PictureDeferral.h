#pragma once
// Block pictures made when they are first needed. While a TPictureDeferral
// lives (the opening of a project), the first block of each kind (its
// description and display parameters) is drawn by the graphic library as
// ever; its result, picture size and pins are kept, and every further block
// of that kind takes its pins and size from them and gets no picture yet. A
// drawing that failed is not kept: the next block of that kind is drawn
// again, so a refusal and the library's lines come out as before. The sheets
// that hold blocks without a picture are listed, and the painter has their
// pictures drawn before it paints them (EnsureBlockPictures, BlockPrepare).
//
// This relies on the graphic library drawing the same picture and pins for
// the same description and display parameters (what it is given of a block's
// field values is not part of its picture).

#include "common/abi/BlockRecord.h"
#include "common/abi/PinRecord.h"

#include <cstdint>
#include <vector>

namespace zo {
class TMenObj;
}

namespace zo::kernel {

// What one drawing of a kind of block gave.
struct TMeasuredPicture {
    int32_t width = 0, height = 0;
    std::vector<TPinRecord> pins;  // with their line types
};

class TPictureDeferral {
public:
    TPictureDeferral();
    ~TPictureDeferral();
    TPictureDeferral(const TPictureDeferral&) = delete;
    TPictureDeferral& operator=(const TPictureDeferral&) = delete;
};

bool DeferringPictures();
// The kept drawing of the block's kind, nil for none (or when not deferring).
const TMeasuredPicture* FindMeasuredPicture(const TBlockRecord& block);
void KeepMeasuredPicture(const TBlockRecord& block, TMeasuredPicture measured);

// The block list holds blocks whose pictures are still to be drawn.
void AddPendingPictures(const TMenObj* blocks);
// Whether it does, and that it does no more.
bool TakePendingPictures(const TMenObj* blocks);
// The list is gone.
void ForgetPendingPictures(const TMenObj* blocks);

}  // namespace zo::kernel
