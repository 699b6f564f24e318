#pragma once
// Memory for the big pictures of sheets: the kernel's painted sheet and the
// editing windows' framed copies. A sheet of a large project is a picture of
// thousands of pixels a side (tens or hundreds of megabytes); in ordinary
// 4 KiB pages, filling it for the first time costs one page fault a page,
// and every row painted later a page of its own in the address translation.
// A picture of that size is given memory of its own, aligned and marked for
// transparent huge pages, so that it faults a few times instead and a small
// painted part stays within a few pages; smaller ones are ordinary images.

#include <QImage>

#include <cstddef>

namespace zo {

// Pictures of at least this many bytes get memory of their own.
inline constexpr size_t kOwnPictureMemory = size_t(8) << 20;

// A new picture of width x height in Format_RGB32, its pixels not set; a
// null image when width or height is not positive or no memory is left. It
// behaves as any QImage (copies share it until one is written to).
QImage NewPicture(int width, int height);

}  // namespace zo
