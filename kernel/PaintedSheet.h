#pragma once
// What the painter keeps of the last sheet it painted outside debug mode: how
// every block, connection, the route being laid and the rubber band looked and
// where each was drawn. Held against the sheet as it is now, it names the
// pixel rectangles an edit touched (the old and the new places of what
// changed), so that a paint draws those again and leaves the rest of the kept
// picture as it was. Whatever the whole picture depends on (the sheet, its
// size, the mode, the line types, the font) is kept as the picture's frame: a
// change there asks for a whole paint.
//
// Blocks are followed by their own data record (Block.Data), so blocks
// deleted or added before them in the list do not count as changed; only the
// ones whose drawing order among the others changed do.

#include "common/Geometry.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/SheetRecord.h"
#include "common/abi/VisibleOptions.h"
#include "kernel/BlockEdits.h"

#include <QFont>
#include <QRect>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zo {
class TMenObj;
class TStruct;
}  // namespace zo

namespace zo::kernel {

// The moving parts of one paint of a sheet.
struct TSceneState {
    int32_t cellPixels = 12;  // the grid
    const TMenObj* lineTypes = nullptr;
    // Counts the drawings of block pictures (preparation, a redraw after a
    // property change, a release): while it stays, no block's picture, name or
    // display parameters changed in place, and only what the block records
    // themselves hold is compared.
    uint64_t pictureGeneration = 0;
    uint8_t mode = 0;
    bool dragging = false;  // the selection is drawn moved by dx, dy cells
    int32_t dx = 0, dy = 0;
    const TMenObj* route = nullptr;  // the connection being laid on this sheet, nil for none
    bool band = false;               // the rubber band is drawn
    int32_t bandRect[4] = {};        // its corners in pixels
    TVisibleOptions visible = kDefaultVisibleOptions;  // grid, labels and colours
};

// Where a block's drawing lies: its label and its picture with the frame, in
// pixels of the sheet's picture (empty for nothing drawn).
struct TBlockBoxes {
    QRect label;
    QRect body;
};

class TPaintedSheet {
public:
    // The boxes of a block as it is drawn now, drawn offset dx, dy cells.
    using BoxesOf = std::function<TBlockBoxes(const TBlockRecord& block, int32_t dx, int32_t dy)>;

    // Whether the kept looks belong to this sheet painted this way: else a
    // whole paint is due.
    bool Fits(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font, int64_t pictureKey) const;
    // Everything as it is now, after a whole paint that found the blocks'
    // boxes (by block index).
    void Take(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font,
              const std::vector<TBlockBoxes>& boxes);
    // The rectangles that changed since the last Take or Update are added to
    // dirty, and the looks are brought up to date.
    void Update(const TSheetRecord& sheet, const TSceneState& scene, const BoxesOf& boxes, std::vector<QRect>& dirty);
    // The picture the looks describe, as the painter left it, and whether a
    // connection cell had no picture then (the next paint is a whole one, which
    // logs that again as every paint of such a sheet does).
    void SetPictureKey(int64_t key, bool linesFailed) {
        pictureKey_ = key;
        linesFailed_ = linesFailed;
    }
    // Nothing kept: the next paint is a whole one.
    void Forget();
    bool Kept() const { return kept_; }

    // The boxes of block i after the last Take or Update.
    const TBlockBoxes& Boxes(size_t i) const { return blocks_[i].boxes; }
    size_t BlockCount() const { return blocks_.size(); }
    // Connection i's drawn pixels after the last Take or Update.
    QRect LinkBox(size_t i) const { return cellsBox(links_[i].cells); }
    size_t LinkCount() const { return links_.size(); }
    // The blocks and connections whose drawing may reach into the pixel
    // rectangle: a superset, each once, in list order.
    void Near(const QRect& pixels, std::vector<uint32_t>& blocks, std::vector<uint32_t>& links) const;

private:
    // What the block record holds, compared on every paint.
    struct BlockPlace {
        const void* id = nullptr;  // the block's data record
        const void* picture = nullptr;
        int32_t rect[4] = {};  // Left, Top, Right, Bottom as stored
        int32_t dx = 0, dy = 0;
        uint8_t selected = 0;
    };
    struct BlockLook {
        int64_t pictureKey = 0;
        char name[61] = {};
        std::string display;  // the bytes of the display parameters the label shows
        TBlockBoxes boxes;
    };
    struct LinkLook {
        uint32_t rawA = 0, rawB = 0;  // the points as stored
        uint32_t a = 0, b = 0;        // drawn points, sorted
        int16_t lineType = 0;
        uint8_t selected = 0;
        TZoRect cells;
        bool operator==(const LinkLook& o) const {
            return a == o.a && b == o.b && lineType == o.lineType && selected == o.selected;
        }
    };
    // Item indexes by the squares of the picture their boxes reach into.
    class Buckets {
    public:
        void Reset(int width, int height);
        void Add(uint32_t item, const QRect& box);
        void Remove(uint32_t item, const QRect& box);
        void Query(const QRect& box, std::vector<uint32_t>& out) const;

    private:
        bool span(const QRect& box, int& l, int& t, int& r, int& b) const;
        static constexpr int kShift = 8;  // squares of 256 pixels
        int columns_ = 0, rows_ = 0;
        std::vector<std::vector<uint32_t>> squares_;
    };
    static QRect unionOf(const TBlockBoxes& boxes) { return boxes.label | boxes.body; }
    void indexBlocks();
    void indexLinks();

    // Where the label's parameters lie in a display record.
    struct DisplayLayout {
        const TStruct* description = nullptr;
        int turnAt = -1, turnSize = 0;
        int labelAt = -1, labelSize = 0;
        bool joined = false;
    };

    void takeFrame(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font);
    // The bytes of the display parameters the label shows, nil for none.
    const uint8_t* displayAt(const TBlockRecord& block, size_t& size);
    std::string displayBytes(const TBlockRecord& block);
    static BlockPlace placeOf(const TBlockRecord& block, int32_t dx, int32_t dy);
    // Where the scene draws the block: moved by the drag when it is selected and one is in progress.
    static BlockPlace placeIn(const TBlockRecord& block, const TSceneState& scene);
    static bool samePlace(const BlockPlace& a, const BlockPlace& b);
    bool sameLook(const BlockLook& look, const TBlockRecord& block);
    BlockLook lookOf(const TBlockRecord& block);
    void updateBlocks(const TSheetRecord& sheet, const TSceneState& scene, const BoxesOf& boxes,
                      std::vector<QRect>& dirty);
    // The blocks to look at again when only noted ones changed (and, with a
    // new drag offset, the selected ones): false when every block must be.
    bool notedBlocks(const TSheetRecord& sheet, bool deep, bool sameDrag, std::vector<uint16_t>& out) const;
    // Block i looked at again: false when another block took its place.
    bool lookAgain(const TSheetRecord& sheet, size_t i, const TSceneState& scene, const BoxesOf& boxes, bool deep,
                   bool sameDrag, std::vector<QRect>& dirty);
    static LinkLook linkLook(const TConnectionRecord& link, const TSceneState& scene);
    void updateLinks(const TSheetRecord& sheet, const TSceneState& scene, std::vector<QRect>& dirty);
    void updateRoute(const TSceneState& scene, std::vector<QRect>& dirty);
    QRect cellsBox(const TZoRect& cells) const;
    void updateBand(const TSceneState& scene, std::vector<QRect>& dirty);

    bool kept_ = false;
    // The frame.
    const void* sheetBlocks_ = nullptr;
    const void* sheetLinks_ = nullptr;
    char sheetName_[61] = {};
    uint16_t width_ = 0, height_ = 0;
    uint8_t mode_ = 0;
    int32_t cell_ = 12;
    TVisibleOptions visible_ = kDefaultVisibleOptions;
    std::string lineTypes_;  // the line type list's bytes
    QFont font_;
    int64_t pictureKey_ = 0;
    bool linesFailed_ = false;
    uint64_t pictureGeneration_ = 0;
    bool linksDragged_ = false;  // the looks of the connections were taken while dragging
    int32_t linkDx_ = 0, linkDy_ = 0;

    std::vector<BlockPlace> places_;  // by block, beside blocks_
    // The bytes of every block record from Left on (its place, selection and
    // in-memory references) when its place was taken, kSpan a block: a block
    // whose bytes are the same, not moved by a drag that changed, is where it
    // was without a closer look.
    std::vector<uint8_t> blockBytes_;
    void takeBlockBytes(const TSheetRecord& sheet);
    bool dragged_ = false;  // the drag the places were taken with
    int32_t dragDx_ = 0, dragDy_ = 0;
    std::vector<BlockLook> blocks_;
    // The block list as the places were last brought up to date.
    TBlockWatch watch_;
    Buckets blockSquares_, linkSquares_;
    std::vector<LinkLook> links_;
    std::string linkBytes_;  // the connection list's bytes when the looks were taken
    std::vector<LinkLook> route_;
    bool band_ = false;
    int32_t bandRect_[4] = {};
    DisplayLayout display_;
};

}  // namespace zo::kernel
