#include "configurator/windows/InspectorGrid.h"

#include "common/Canvas.h"
#include "configurator/link/InspectorLink.h"
#include "configurator/windows/ReplacementLists.h"
#include "platform/Cp1251.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zo::configurator {

namespace {

TInspectorCellStyle style(int fontHeight, bool bold, int32_t fontColor, int32_t brush, std::optional<int32_t> selected,
                          std::optional<int32_t> top, std::optional<int32_t> bottom, std::optional<int32_t> left,
                          std::optional<int32_t> right) {
    TInspectorCellStyle s;
    s.Font = QGuiApplication::font();
    s.Font.setPixelSize(fontHeight);
    s.Font.setBold(bold);
    s.FontColor = ToQColor(fontColor);
    s.Brush = ToQColor(brush);
    s.SelectedBrush = selected ? ToQColor(*selected) : s.Brush;
    auto pen = [](std::optional<int32_t> c) { return c ? std::optional<QColor>(ToQColor(*c)) : std::nullopt; };
    s.TopPen = pen(top);
    s.BottomPen = pen(bottom);
    s.LeftPen = pen(left);
    s.RightPen = pen(right);
    return s;
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool endsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

void TInspectorGrid::InitInspectorGrid() {
    constexpr int32_t grey = 0x808080;
    HeaderStyle = style(14, true, 0x008000, 0xC8C8C8, std::nullopt, std::nullopt, grey, std::nullopt, std::nullopt);
    MarkerStyle = style(13, true, 0x0000FF, 0xCAD2D6, 0xF2D2D6, std::nullopt, grey, grey, std::nullopt);
    NameStyle = style(13, false, 0x000000, 0xCAD2D6, 0xF2D2D6, std::nullopt, grey, std::nullopt, grey);
    ValueStyle = style(13, false, 0xFF0000, 0xC8D0D4, 0xF0D0D4, std::nullopt, grey, 0xFFFFFF, grey);
    GroupStyle = style(13, true, 0x000080, 0xB6BEC2, std::nullopt, std::nullopt, grey, grey, grey);
    Grouped = 1;
    ShowCaptions = 0;
    if (Collapsed) Collapsed->clear();
}

bool TInspectorGrid::IsCollapsed(const std::string& structName) const {
    return Collapsed && std::find(Collapsed->begin(), Collapsed->end(), structName) != Collapsed->end();
}

std::vector<TInspectorRow> TInspectorGrid::Rows(const InspectorLink& link) const {
    std::vector<TInspectorRow> rows;
    if (Count <= 0 || !Items) return rows;
    for (int i = 0; i < Count; ++i) {
        const TStructInstance* instance = &Items[i];
        if (Grouped) {
            rows.push_back({i, -1});
            if (IsCollapsed(link.StructName(instance))) continue;
        }
        const int n = link.ItemCount(instance);
        for (int item = 0; item < n; ++item) rows.push_back({i, item});
    }
    return rows;
}

int TInspectorGrid::RowHeight() const { return QFontMetrics(NameStyle.Font).height() + 2; }

int TInspectorGrid::CaptionHeight() const { return QFontMetrics(HeaderStyle.Font).height(); }

int TInspectorGrid::VisibleRows() const {
    const int free = int(Height) - CaptionHeight() - 1;
    return free > 0 ? free / RowHeight() : 0;
}

int TInspectorGrid::InspectorHitTest(int y, int rowCount) const {
    if (Count <= 0 || !Items) return -1;
    const int caption = CaptionHeight();
    if (y <= caption) return -2;
    const int row = (y - caption - 1) / RowHeight() + TopRow;
    return row >= rowCount ? -2 : row;
}

bool TInspectorGrid::IsPassword(const std::string& itemName, const std::string& typeName) {
    static const std::vector<std::string> names = {"Password", "password", ZO_RU("Пароль"), ZO_RU("пароль")};
    const bool named = std::find(names.begin(), names.end(), itemName) != names.end() ||
                       endsWith(itemName, "Password");
    // The shipped structures keep passwords in StringN fields.
    return named && (startsWithNoCase(typeName, "Char[") || startsWithNoCase(typeName, "String"));
}

std::string TInspectorGrid::ShownValue(const InspectorLink& link, TReplacementLists& lists,
                                       const TStructInstance* instance, int item) const {
    std::string shown =
        lists.TranslateValue(link.StructPath(instance), link.ItemValue(instance, item), link.ItemList(instance, item));
    if (IsPassword(link.ItemName(instance, item), link.ItemType(instance, item)))
        shown.assign(shown.size(), '*');
    return shown;
}

void TInspectorGrid::DrawInspectorCell(QPainter& painter, const QRect& rect, const TInspectorCellStyle& s,
                                       const QString& text, int alignment) {
    const QRect area(rect.topLeft(), rect.bottomRight());
    painter.save();
    painter.fillRect(area, s.Selected ? s.SelectedBrush : s.Brush);
    painter.setFont(s.Font);
    painter.setPen(s.Enabled ? s.FontColor : ToQColor(kGreyText));
    const QFontMetrics metrics(s.Font);
    const int textWidth = metrics.horizontalAdvance(text);
    int offset = 0;
    if (alignment == kAlignRight) {
        offset = area.width() - textWidth;
    } else if (alignment != kAlignLeft) {
        offset = std::max(0, (area.width() - textWidth) / 2);
    }
    const int x = offset > 0 ? area.left() + offset : area.left() + 2;
    const int y = area.top() + (area.height() - metrics.height()) / 2;
    painter.setClipRect(area);
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
    painter.setClipping(false);
    auto edge = [&](const std::optional<QColor>& pen, QPoint a, QPoint b) {
        if (!pen) return;
        painter.setPen(QPen(*pen, 1, Qt::SolidLine));
        painter.drawLine(a, b);
    };
    edge(s.TopPen, area.topLeft(), area.topRight());
    edge(s.BottomPen, area.bottomLeft(), area.bottomRight());
    edge(s.LeftPen, area.topLeft(), area.bottomLeft());
    edge(s.RightPen, area.topRight(), area.bottomRight());
    painter.restore();
}

void TInspectorGrid::PaintInspectorGrid(QImage& bitmap, const InspectorLink& link, TReplacementLists& lists) const {
    bitmap = QImage(std::max<int>(Width, 1), std::max<int>(Height, 1), QImage::Format_RGB32);
    bitmap.fill(HeaderStyle.Brush);
    if (Count <= 0 || !Items || Width == 0 || Height == 0) return;
    QPainter p(&bitmap);
    const int caption = CaptionHeight();
    const int rowHeight = RowHeight();
    HeaderStyle.Enabled = 1;
    DrawInspectorCell(p, QRect(QPoint(0, 0), QPoint(Width - 1, caption)), HeaderStyle, InspectorLink::text(Caption),
                      kAlignCentre);
    if (!ShowCaptions) ValueWidth = int16_t(Width - NameWidth);
    const std::vector<TInspectorRow> rows = Rows(link);
    int y = caption + 1;
    for (size_t r = 0; r < rows.size() && y < Height; ++r) {
        if (int(r) < TopRow) continue;
        const TStructInstance* instance = &Items[rows[r].Instance];
        const int bottom = y + rowHeight - 1;
        if (rows[r].Item < 0) {
            const std::string name = link.StructName(instance);
            const std::string text = std::string(IsCollapsed(name) ? "  + " : "  - ") + name + " (" +
                                     link.StructCaption(instance) + ")";
            GroupStyle.Enabled = 1;
            DrawInspectorCell(p, QRect(QPoint(0, y), QPoint(Width - 1, bottom)), GroupStyle, InspectorLink::text(text),
                              kAlignLeft);
        } else {
            const int item = rows[r].Item;
            const bool selected = int(r) == SelectedRow;
            MarkerStyle.Enabled = 1;
            MarkerStyle.Selected = NameStyle.Selected = ValueStyle.Selected = selected ? 1 : 0;
            DrawInspectorCell(p, QRect(QPoint(0, y), QPoint(selected ? 10 : 14, bottom)), MarkerStyle,
                              selected ? QStringLiteral(">") : QString(), kAlignLeft);
            NameStyle.Enabled = 1;
            DrawInspectorCell(p, QRect(QPoint(11, y), QPoint(NameWidth, bottom)), NameStyle,
                              InspectorLink::text(link.ItemName(instance, item)), kAlignLeft);
            ValueStyle.Enabled = link.ItemKind(instance, item) == "VAR" ? 1 : 0;
            DrawInspectorCell(p, QRect(QPoint(NameWidth + 1, y), QPoint(NameWidth + ValueWidth - 1, bottom)),
                              ValueStyle, InspectorLink::text(ShownValue(link, lists, instance, item)), kAlignLeft);
            if (ShowCaptions)
                DrawInspectorCell(p, QRect(QPoint(NameWidth + ValueWidth + 1, y), QPoint(Width - 1, bottom)),
                                  NameStyle, InspectorLink::text(link.ItemCaption(instance, item)), kAlignLeft);
        }
        y += rowHeight;
    }
    MarkerStyle.Selected = NameStyle.Selected = ValueStyle.Selected = 0;
}

}  // namespace zo::configurator
