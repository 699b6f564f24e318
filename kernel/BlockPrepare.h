#pragma once
// Block preparation: a block record with its DescriptionPath set becomes a
// whole in-memory block (its description and data record, its display
// parameters "Отобр.", its pin list and its picture from the graphic library).
// The drop, project opening, block pictures and previews all prepare blocks
// here; whoever removes a block releases it here first.
//
// Data and DisplayData are value records made with std::calloc and freed with
// std::free; Pins is a TMenObj made with new; Picture belongs to the graphic
// library and goes back through its release entry.

#include "common/abi/BlockRecord.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>
#include <string>

namespace zo {
class TStruct;
}

namespace zo::kernel {

// 0 prepared; -1 nil record, the graphic library not loaded, or "Отобр." does
// not load; -2 the block's description does not load; -3 the display
// parameters cannot be read, or the picture cannot be made or is smaller than
// one cell; -4 no data record. Data already set (a block read from a project)
// is kept; otherwise a record of defaults is made. Right and Bottom become
// Left/Top + the picture's size in cells - 1; an empty Name becomes the
// description's NAME. On failure everything this call allocated is released
// and the in-memory references are nil again (Data the caller gave is kept).
int PrepareBlock(TBlockRecord* block);

// Rebuilds picture, pins and size after a value change: the graphic library's
// result (0 drawn); -1 when a structure, a record, the pin list or the graphic
// library is missing. When the drawing fails the block keeps its pins.
int RedrawBlockPicture(TBlockRecord* block);

// Redraws the picture of every block of every sheet when the display options
// now show the pin names otherwise than the pictures were drawn.
void FollowPinNamesOption();

// Counts PrepareBlock, RedrawBlockPicture and ReleaseBlock calls: a block's
// picture, and what it shows of the block, change only through them.
uint64_t BlockPictureGeneration();
// Counts a change of what a block shows made in place otherwise (its name or
// display parameters given new values).
void MarkBlockPicturesChanged();

// A block whose picture was left to be drawn when it is first needed (see
// PictureDeferral) gets it now: 0 drawn or nothing to draw, else the graphic
// library's result (the block then stays without a picture).
int DrawPendingPicture(TBlockRecord* block);
// Every such picture of the sheet, when it has any.
void EnsureBlockPictures(TSheetRecord& sheet);

// Frees Data, DisplayData, Pins and (through the graphic library, when it is
// loaded) Picture, and clears every in-memory reference: 0; -1 nil record.
int ReleaseBlock(TBlockRecord* block);

// The display parameters' description: "<Struct folder>\Struct.xml/STRUCT/Отобр."
// through the description cache; nil when it does not load.
TStruct* DisplayStructure();

// A display parameter of a prepared block ("Turn", "Label", "Library"):
// found is false when the block has no display record or no such parameter.
std::string BlockParameter(const TBlockRecord& block, const char* name, bool& found);

// The picture's size in pixels; 0, 0 for none.
int PictureWidth(const void* picture);
int PictureHeight(const void* picture);

}  // namespace zo::kernel
