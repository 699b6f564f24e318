#include "kernel/BlockPrepare.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/PinRecord.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/PictureDeferral.h"
#include "kernel/SheetIndex.h"
#include "kernel/SheetList.h"
#include "platform/Cp1251.h"

#include <QImage>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>

namespace zo::kernel {

namespace {

uint64_t g_pictureGeneration = 1;

TStruct* descriptionOf(const TBlockRecord& block) { return static_cast<TStruct*>(block.Block.Struct); }
TStruct* displayOf(const TBlockRecord& block) { return static_cast<TStruct*>(block.Display.Struct); }

bool sameLatinCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Index of the first line type named typeName (letter case ignored), -1 when none.
int16_t lineTypeOf(const std::string& typeName) {
    const TMenObj& types = State().lineTypes;
    for (uint16_t i = 0; i < types.Count; ++i)
        if (sameLatinCase(LineTypeName(types.GetItem(i)), typeName)) return int16_t(i);
    return -1;
}

void assignLineTypes(TBlockRecord& block) {
    const TStruct* description = descriptionOf(block);
    TMenObj* pins = block.Pins;
    for (uint16_t i = 0; pins && description && i < pins->Count; ++i) {
        auto* pin = static_cast<TPinRecord*>(pins->GetItem(i));
        const TStructItem* item = description->GetItem(pin->FieldIndex);
        pin->LineType = item ? lineTypeOf(item->TypeName) : int16_t(-1);
    }
}

// Right and Bottom from a picture of width x height pixels; false, the record
// unchanged, when the rectangle of a block placed that far out cannot be held.
bool assignSize(TBlockRecord& block, int width, int height) {
    const int64_t right = int64_t(width / kGridCell) + block.Left - 1;
    const int64_t bottom = int64_t(height / kGridCell) + block.Top - 1;
    constexpr int64_t kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
    if (right < kLow || right > kHigh || bottom < kLow || bottom > kHigh) return false;
    block.Right = int32_t(right);
    block.Bottom = int32_t(bottom);
    return true;
}

// The graphic library's drawing of the block into its Picture, its pins added
// to pins. The picture reference of the packed record is handed over as an
// aligned copy.
int32_t drawPicture(TBlockRecord& block, TMenObj* pins) {
    TGraficOptions* g = GraficOptions();
    const TGraficDrawBlockProc draw = g ? g->DrawBlock : nullptr;
    if (!draw) return -1;
    g->HidePinNames = State().visibleOptions.ShowPinNames ? 0 : 1;
    void* picture = block.Picture;
    const int32_t result = draw(&picture, &block.Block, &block.Display, pins);
    block.Picture = picture;
    return result;
}

void releasePicture(TBlockRecord& block) {
    TGraficOptions* g = GraficOptions();
    const TGraficReleaseProc release = g ? g->ReleasePicture : nullptr;
    void* picture = block.Picture;
    if (release && picture) release(&picture);
    block.Picture = nullptr;
}

// The block's pins (with their line types) and picture size: drawn, or,
// while pictures are deferred, taken from the drawing of a block of the same
// kind (the block then has no picture until it is painted). 0 or the graphic
// library's result.
int32_t placePicture(TBlockRecord& block, int& width, int& height) {
    if (const TMeasuredPicture* measured = FindMeasuredPicture(block)) {
        block.Pins->Clear();
        for (const TPinRecord& pin : measured->pins) block.Pins->AddItem(&pin);
        releasePicture(block);
        width = measured->width;
        height = measured->height;
        return 0;
    }
    if (const int32_t result = drawPicture(block, block.Pins); result != 0) return result;
    assignLineTypes(block);
    width = PictureWidth(block.Picture);
    height = PictureHeight(block.Picture);
    if (DeferringPictures()) {
        TMeasuredPicture measured{width, height, {}};
        for (uint16_t i = 0; i < block.Pins->Count; ++i) {
            TPinRecord pin;
            std::memcpy(&pin, block.Pins->GetItem(i), sizeof pin);
            measured.pins.push_back(pin);
        }
        KeepMeasuredPicture(block, std::move(measured));
    }
    return 0;
}

void* newRecord(const TStruct& description) {
    const int size = description.GetSize();
    if (size <= 0) return nullptr;
    void* record = std::calloc(1, size_t(size));
    if (record) description.SetDefaults(record);
    return record;
}

// What one preparation made, released again when it fails.
class Preparation {
public:
    explicit Preparation(TBlockRecord& block) : block_(block) {}
    ~Preparation() {
        if (done_) return;
        releasePicture(block_);
        delete block_.Pins;
        block_.Pins = nullptr;
        std::free(block_.Display.Data);
        block_.Display.Data = nullptr;
        if (madeData_) {
            std::free(block_.Block.Data);
            block_.Block.Data = nullptr;
        }
        block_.Block.Struct = nullptr;
        block_.Display.Struct = nullptr;
    }
    Preparation(const Preparation&) = delete;
    Preparation& operator=(const Preparation&) = delete;

    void madeData() { madeData_ = true; }
    int succeed() {
        done_ = true;
        return 0;
    }

private:
    TBlockRecord& block_;
    bool madeData_ = false;
    bool done_ = false;
};

int prepare(TBlockRecord& block) {
    TStruct* display = DisplayStructure();
    if (!display) return -1;
    block.Display.Struct = display;
    block.Picture = nullptr;
    block.Pins = nullptr;
    block.Block.Struct = nullptr;
    block.Display.Data = nullptr;
    Preparation made(block);

    char path[261];
    std::memcpy(path, block.DescriptionPath, sizeof path);
    path[260] = 0;
    TStruct* description = State().structCache->GetStruct(path);
    if (!description) return -2;
    block.Block.Struct = description;

    block.Pins = new TMenObj;
    block.Pins->SetItemSize(sizeof(TPinRecord));

    block.Display.Data = newRecord(*display);
    if (!block.Display.Data || display->ReadValuesFromFile(block.Display.Data, path) != 0) return -3;

    if (!block.Block.Data) {
        block.Block.Data = newRecord(*description);
        if (block.Block.Data) made.madeData();
    }
    int width = 0, height = 0;
    if (placePicture(block, width, height) != 0) return -3;
    // The rectangle needs at least one whole cell each way.
    if (width < kGridCell || height < kGridCell) return -3;
    if (!assignSize(block, width, height)) return -3;
    if (!block.Block.Data) return -4;
    if (block.Name[0] == 0) {
        std::memset(block.Name, 0, sizeof block.Name);
        std::memcpy(block.Name, description->Name, strnlen(description->Name, sizeof description->Name));
    }
    return made.succeed();
}

}  // namespace

TStruct* DisplayStructure() {
    const std::string path = State().structFolder + ZO_RU("\\Struct.xml/STRUCT/Отобр.");
    return State().structCache->GetStruct(path.c_str());
}

int PictureWidth(const void* picture) { return picture ? static_cast<const QImage*>(picture)->width() : 0; }
int PictureHeight(const void* picture) { return picture ? static_cast<const QImage*>(picture)->height() : 0; }

std::string BlockParameter(const TBlockRecord& block, const char* name, bool& found) {
    found = false;
    const TStruct* display = displayOf(block);
    if (!display || !block.Display.Data || !name) return std::string();
    int16_t index = -1;
    if (display->FindItem(name, index) != 1) return std::string();
    found = true;
    return display->GetValue(block.Display.Data, index);
}

void FollowPinNamesOption() {
    const bool wanted = State().visibleOptions.ShowPinNames != 0;
    if (wanted == State().picturesWithPinNames) return;
    State().picturesWithPinNames = wanted;
    TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        if (!sheet->Blocks) continue;
        for (uint16_t k = 0; k < sheet->Blocks->Count; ++k)
            RedrawBlockPicture(static_cast<TBlockRecord*>(sheet->Blocks->GetItem(k)));
    }
}

uint64_t BlockPictureGeneration() { return g_pictureGeneration; }
void MarkBlockPicturesChanged() { ++g_pictureGeneration; }

int PrepareBlock(TBlockRecord* block) {
    ++g_pictureGeneration;
    if (!block || !GraficOptions()) return -1;
    try {
        return prepare(*block);
    } catch (const std::bad_alloc&) {
        return -4;
    }
}

int RedrawBlockPicture(TBlockRecord* block) {
    ++g_pictureGeneration;
    if (!block || !GraficOptions() || !block->Block.Struct || !block->Block.Data || !block->Display.Struct ||
        !block->Display.Data || !block->Pins)
        return -1;
    // The pins stay as they were when the drawing fails: they must keep
    // matching the picture the block keeps.
    TMenObj* before = nullptr;
    if (!block->Pins->CloneTo(before) && block->Pins->Count > 0) {
        delete before;
        return -1;
    }
    std::unique_ptr<TMenObj> saved(before);
    block->Pins->Clear();
    int width = 0, height = 0;
    const int32_t result = placePicture(*block, width, height);
    if (result != 0) {
        block->Pins->Clear();
        for (uint16_t i = 0; i < saved->Count; ++i) block->Pins->AddItem(saved->GetItem(i));
        assignLineTypes(*block);
        // Sized by the picture it keeps; one still to be drawn keeps its size.
        if (block->Picture) {
            width = PictureWidth(block->Picture);
            height = PictureHeight(block->Picture);
        } else {
            width = (block->Right - block->Left + 1) * kGridCell;
            height = (block->Bottom - block->Top + 1) * kGridCell;
        }
    }
    // A prepared block's place is held; a rectangle that could not be keeps
    // Right and Bottom as they were.
    assignSize(*block, width, height);
    MarkSheetsChanged();  // size and pins changed in place
    return result;
}

int DrawPendingPicture(TBlockRecord* block) {
    if (!block || block->Picture || !block->Pins || !block->Block.Struct || !block->Display.Data) return 0;
    ++g_pictureGeneration;
    // Its pins are known already: the drawing's own go to a list of their own.
    TMenObj pins;
    pins.SetItemSize(sizeof(TPinRecord));
    const int32_t result = drawPicture(*block, &pins);
    if (result != 0) releasePicture(*block);
    return result;
}

void EnsureBlockPictures(TSheetRecord& sheet) {
    if (!sheet.Blocks || !TakePendingPictures(sheet.Blocks)) return;
    for (uint16_t i = 0; i < sheet.Blocks->Count; ++i)
        DrawPendingPicture(static_cast<TBlockRecord*>(sheet.Blocks->GetItem(i)));
}

int ReleaseBlock(TBlockRecord* block) {
    ++g_pictureGeneration;
    if (!block) return -1;
    std::free(block->Block.Data);
    std::free(block->Display.Data);
    delete block->Pins;
    releasePicture(*block);
    block->Block.Data = nullptr;
    block->Block.Struct = nullptr;
    block->Display.Data = nullptr;
    block->Display.Struct = nullptr;
    block->Pins = nullptr;
    return 0;
}

}  // namespace zo::kernel
