#pragma once
// Painting one sheet at one pixel per pixel, 12 pixels per cell: the grid,
// block labels, connections, block pictures, selection frames, the rubber band
// and, in debug mode, the live values of the pins with the paint time. The
// picture is the kernel's own bitmap (a QImage handed out as void*); the
// caller copies it and never frees it. In debug mode the static part of the
// picture is kept in the sheet's Picture (a QImage made with new).

#include <cstdint>

namespace zo::kernel {

// Seconds the last PaintScheme took.
float LastPaintTime();

// Pixels the last PaintScheme drew again (the whole picture, or the part an
// edit touched).
uint64_t LastPaintedPixels();

// Forgets what the painter keeps of the pictures it painted: the next paint of
// every sheet draws everything again.
void ForgetPaintedPictures();

}  // namespace zo::kernel

namespace zo::kernel {

// Results of PaintScheme.
enum PaintSchemeResult : int32_t {
    kSchemePainted = 0,
    kPaintBadBitmap = -1,  // bitmap is nil or *bitmap is not nil
    kPaintNoSheet = -2,
    kPaintNoRecord = -3,
    kPaintFailed = -100,   // drawing failed (logged; the bitmap may be partly drawn)
};

}  // namespace zo::kernel

extern "C" {
// A PaintSchemeResult.
int32_t PaintScheme(const char* sheetName, void** bitmap);
}
