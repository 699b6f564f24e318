#include "ProjectGenerator.h"

#include "common/MenObj.h"
#include "common/abi/DragObject.h"
#include "common/abi/PinRecord.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace zo::bench {

namespace {

constexpr int kCell = 12;
constexpr int kGapCells = 2;     // free cells between two blocks of a row
constexpr int kRowGapCells = 2;  // free cells between two rows
constexpr uint8_t kModeSelect = 0;
constexpr uint8_t kModeStraight = 1;

// Block types whose pins are In1, In2 (inputs) and Q (output), all Bool.
const char* const kTypes[] = {
    "\\Library\\Logic.xml/FBD/Logic/AND",
    "\\Library\\Logic.xml/FBD/Logic/OR",
    "\\Library\\Logic.xml/FBD/Logic/XOR",
};

void require(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("generator: " + what);
}

// The element library's drag object with its tree's selected node.
struct LibraryDrag {
    explicit LibraryDrag(const char* path) {
        std::strncpy(node.Path, path, sizeof node.Path - 1);
        std::strncpy(tree.ClassName, kDragTreeClassName, sizeof tree.ClassName - 1);
        tree.SelectedData = &node;
        std::strncpy(object.ClassName, kDragObjectClassName, sizeof object.ClassName - 1);
        object.SourceTree = &tree;
    }
    TLibraryNodeRecord node{};
    TDragControl tree{};
    TMyDragObject object{};
};

struct Cell {
    int x = -1, y = -1;
};

// The sheet cells of a placed block's pins In1, In2 and Q.
struct BlockPins {
    Cell in1, in2, q;
};

BlockPins pinsOf(TKernelOptions& k, const TBlockRecord* block) {
    BlockPins out;
    TStructInstance instance;
    std::memcpy(&instance, &block->Block, sizeof instance);
    TMenObj* pins = block->Pins;
    require(pins != nullptr, "a dropped block has no pin list");
    for (uint16_t i = 0; i < pins->Count; ++i) {
        TPinRecord pin;
        std::memcpy(&pin, pins->GetItem(i), sizeof pin);
        const char* name = k.StructAccess.GetStructItemName(&instance, uint16_t(pin.FieldIndex));
        const Cell cell{block->Left + pin.X, block->Top + pin.Y};
        if (!name) continue;
        if (std::strcmp(name, "In1") == 0) out.in1 = cell;
        else if (std::strcmp(name, "In2") == 0) out.in2 = cell;
        else if (std::strcmp(name, "Q") == 0) out.q = cell;
    }
    require(out.in1.x >= 0 && out.in2.x >= 0 && out.q.x >= 0, "a dropped block lacks In1, In2 or Q");
    return out;
}

// One straight segment laid with the pointer, from cell to cell.
void lay(TKernelOptions& k, const char* sheet, Cell from, Cell to) {
    char status[261] = {};
    uint8_t changed = 0;
    require(k.SheetMouseDown(sheet, from.x * kCell + 6, from.y * kCell + 6, 0, status, &changed) == 0,
            "SheetMouseDown refused");
    require(k.SheetMouseUp(sheet, to.x * kCell + 6, to.y * kCell + 6, 0, status, &changed) == 0,
            "SheetMouseUp laid no connection");
}

// Enlarges the new sheet, drops `count` blocks row by row, shrinks the sheet
// round them, then lays the connections of every row.
void fillSheet(KernelHost& host, int sheetIndex, int count, int& typeCounter) {
    TKernelOptions& k = host.kernel();
    TSheetRecord* sheet = host.sheet(sheetIndex);
    require(sheet != nullptr, "AddSheet made no sheet");
    const std::string name(sheet->Name, strnlen(sheet->Name, sizeof sheet->Name));
    const int columns = std::max(2, int(std::lround(std::sqrt(count * 1.25))));
    const int rows = (count + columns - 1) / columns;
    // Room enough for blocks of up to 24 by 12 cells; shrunk afterwards.
    const int width = columns * (24 + kGapCells) + 4, height = rows * (12 + kRowGapCells) + 4;
    require(k.ResizeSheet(name.c_str(), 0, 0, (width - sheet->Width) * kCell, (height - sheet->Height) * kCell) == 0,
            "ResizeSheet refused to enlarge");

    std::vector<std::vector<BlockPins>> grid(static_cast<size_t>(rows));
    int top = 1, maxRight = 0, maxBottom = 0, placed = 0;
    for (int r = 0; r < rows && placed < count; ++r) {
        int left = 1, rowBottom = top;
        for (int c = 0; c < columns && placed < count; ++c, ++placed) {
            LibraryDrag drag(kTypes[typeCounter++ % 3]);
            const int32_t rc =
                k.SheetDragDrop(name.c_str(), &drag.object, uint16_t(left * kCell), uint16_t(top * kCell));
            require(rc == 0, "SheetDragDrop answered " + std::to_string(rc) + " for block " +
                                 std::to_string(placed) + " at cell (" + std::to_string(left) + ", " +
                                 std::to_string(top) + ")");
            const TBlockRecord* block = host.block(sheet, host.blockCount(sheet) - 1);
            grid[size_t(r)].push_back(pinsOf(k, block));
            left = block->Right + 1 + kGapCells;
            rowBottom = std::max(rowBottom, int(block->Bottom));
            maxRight = std::max(maxRight, int(block->Right));
        }
        maxBottom = std::max(maxBottom, rowBottom);
        top = rowBottom + 1 + kRowGapCells;
    }
    sheet = host.sheet(sheetIndex);
    require(k.ResizeSheet(name.c_str(), 0, 0, -(sheet->Width - (maxRight + 3)) * kCell,
                          -(sheet->Height - (maxBottom + 3)) * kCell) == 0,
            "ResizeSheet refused to shrink");

    k.SetMode(kModeStraight);
    for (const std::vector<BlockPins>& row : grid) {
        for (size_t c = 0; c + 1 < row.size(); ++c) {
            const BlockPins& from = row[c];
            const BlockPins& to = row[c + 1];
            require(from.q.y == to.in1.y, "output and next input are not in one row");
            lay(k, name.c_str(), from.q, to.in1);
            // A branch from the middle of that connection down to the second input.
            if (c % 5 == 0 && to.in1.x - from.q.x >= 2 && to.in2.y != from.q.y) {
                const Cell fork{from.q.x + 1, from.q.y}, bend{from.q.x + 1, to.in2.y};
                lay(k, name.c_str(), fork, bend);
                lay(k, name.c_str(), bend, to.in2);
            }
        }
    }
    k.SetMode(kModeSelect);
}

}  // namespace

GeneratedProject GenerateProject(KernelHost& host, int blocks, int perSheet, const std::string& path,
                                 const char* device) {
    const auto start = std::chrono::steady_clock::now();
    TKernelOptions& k = host.kernel();
    require(k.NewProject && k.AddSheet && k.ResizeSheet && k.SheetDragDrop && k.SheetMouseDown && k.SheetMouseUp &&
                k.SetMode && k.SaveProject,
            "a slot the generator needs is not in the kernel record");
    require(host.sheetCount() == 0, "the model is not empty");
    require(k.NewProject("Bench", device) == 0, "NewProject refused");
    int typeCounter = 0;
    for (int left = blocks; left > 0; left -= perSheet) {
        k.AddSheet();
        fillSheet(host, host.sheetCount() - 1, std::min(left, perSheet), typeCounter);
    }
    require(k.SaveProject(path.c_str()) == 0, "SaveProject refused");
    GeneratedProject out;
    out.sheets = host.sheetCount();
    out.blocks = host.totalBlocks();
    out.links = host.totalLinks();
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    require(out.blocks == blocks, "the project holds " + std::to_string(out.blocks) + " blocks");
    return out;
}

}  // namespace zo::bench
