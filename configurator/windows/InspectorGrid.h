#pragma once
// TInspectorGrid: the property inspector's rows and their painting, apart from
// the window. The rows follow the inspected records (TStructInstance pairs):
// with Grouped, a group row per record and, unless its structure is folded, one
// row per field; values are shown through the replacement lists. Everything is
// read through the inspector link's structure accessors.

#include "common/abi/StructAccess.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace zo::configurator {

class InspectorLink;
class TReplacementLists;

struct TInspectorCellStyle {
    uint8_t Enabled = 1;   // 0: the text in the system's grey-text colour
    uint8_t Selected = 0;  // 1: SelectedBrush instead of Brush
    QFont Font;
    QColor FontColor;
    QColor Brush;
    QColor SelectedBrush;
    std::optional<QColor> TopPen, BottomPen, LeftPen, RightPen;  // none: a clear pen
};

// One row: the record's index and the field's, -1 for a group row.
struct TInspectorRow {
    int Instance = -1;
    int Item = -1;
};

enum CellAlignment : int { kAlignCentre = 0, kAlignLeft = 3, kAlignRight = 4 };

class TInspectorGrid {
public:
    // The styles, Grouped 1, ShowCaptions 0, nothing folded.
    void InitInspectorGrid();

    std::vector<TInspectorRow> Rows(const InspectorLink& link) const;
    int RowHeight() const;
    int CaptionHeight() const;
    int VisibleRows() const;
    // The row under a point of the grid: -2 above the first row or past the last;
    // -1 without rows to hit.
    int InspectorHitTest(int y, int rowCount) const;
    // Paints the grid into a fresh bitmap of Width x Height.
    void PaintInspectorGrid(QImage& bitmap, const InspectorLink& link, TReplacementLists& lists) const;
    static void DrawInspectorCell(QPainter& painter, const QRect& rect, const TInspectorCellStyle& style,
                                  const QString& text, int alignment);

    // The value text a field shows: its stored text through the replacement
    // lists, masked for a password (Windows-1251).
    std::string ShownValue(const InspectorLink& link, TReplacementLists& lists, const TStructInstance* instance,
                           int item) const;
    // A password field: named so, of a text type.
    static bool IsPassword(const std::string& itemName, const std::string& typeName);
    bool IsCollapsed(const std::string& structName) const;

    std::string Caption;                 // Windows-1251
    std::vector<std::string>* Collapsed = nullptr;  // the window's folded structure names
    int Count = 0;
    const TStructInstance* Items = nullptr;
    uint8_t Grouped = 1;
    uint8_t ShowCaptions = 0;
    int16_t Left = 0, Top = 0;
    uint16_t Width = 0, Height = 0;
    int16_t NameWidth = 0;
    mutable int16_t ValueWidth = 0;
    int TopRow = 0;
    int SelectedItem = -1;
    int SelectedRow = -1;
    const TStructInstance* SelectedInstance = nullptr;
    mutable TInspectorCellStyle HeaderStyle, MarkerStyle, NameStyle, ValueStyle, GroupStyle;
};

}  // namespace zo::configurator
