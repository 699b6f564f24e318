#pragma once
// A list of equally sized small pictures (icons, connection cells), each with
// its mask, drawn masked at a point of a canvas.
//
// Each cell is kept as its colour picture (Format_RGB32, exactly as added) and
// its mask (Format_Mono, index 1 = white where the cell is transparent). A masked
// list draws its cells transparently (only the opaque pixels); an unmasked
// list copies the whole cell.

#include <QImage>

#include <cstdint>
#include <vector>

class QPainter;

namespace zo {

class TImageList {
public:
    explicit TImageList(int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the cell size empties the list (the cells no longer fit).
    void SetSize(int width, int height);

    int Count() const { return static_cast<int>(cells_.size()); }
    void Clear() { cells_.clear(); }

    bool Masked() const { return masked_; }
    void SetMasked(bool masked) { masked_ = masked; }

    // Adds a cell whose pixels of the mask colour (0x00BBGGRR) are transparent.
    // The picture is cut or padded (transparent) to the cell size. Answers the
    // index of the new cell, -1 for a null picture or an empty cell size.
    int AddMasked(const QImage& image, int32_t maskColor);

    // Adds a cell with an explicit mask: a pixel is transparent where the mask
    // is non-zero (any format; a null mask makes the whole cell opaque).
    // Answers the index of the new cell, -1 for a null picture or an empty cell size.
    int Add(const QImage& image, const QImage& mask = QImage());

    // The colour picture and the mask of cell i; null images for a bad index.
    QImage Image(int index) const;
    QImage Mask(int index) const;
    // The cell with transparency in its alpha channel (Format_ARGB32_Premultiplied).
    QImage Composed(int index) const;

    // Draws cell i with its top-left corner at (x, y): only the opaque pixels
    // for a masked list, the whole cell otherwise. Answers false (drawing
    // nothing) for a bad index or a canvas that cannot be painted.
    bool Draw(QPainter& painter, int x, int y, int index) const;
    // The same on a picture; false when it cannot be painted (null, indexed).
    bool Draw(QImage& target, int x, int y, int index) const;

private:
    struct Cell {
        QImage image;     // Format_RGB32
        QImage mask;      // Format_Mono, 1 (white) = transparent, 0 (black) = opaque
        QImage composed;  // Format_ARGB32_Premultiplied
    };

    int addCell(QImage image, QImage mask);

    int width_;
    int height_;
    bool masked_ = true;
    std::vector<Cell> cells_;
};

}  // namespace zo
