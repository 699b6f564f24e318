#pragma once
// Tidying a sheet's connections after an edit: segments merged where they
// continue one another.

#include "common/abi/SheetRecord.h"

namespace zo::kernel {

// Stores every segment with PointA before PointB, merges collinear segments
// that meet end to end where no third end is, then renumbers the nets of the
// project: 0, -1 nil sheet.
int MergeLinks(TSheetRecord* sheet);

}  // namespace zo::kernel
