#pragma once
// TObjInspect: the property inspector ("Свойства"). It shows records the kernel
// describes (TStructInstance pairs) as rows of names and values painted by
// TInspectorGrid, and edits a value in place: a text editor, a list of the
// value's replacement list, or a typed dialog of the dialogs library. Every
// keystroke is checked by the conversion library; only a valid text is stored,
// through the kernel's structure accessor, followed by the rows' change callback.
//
// Mode 0 is the docked inspector the kernel refills as the selection changes,
// mode 1 the floating element properties window, mode 2 the options dialog:
// there the tree of option blocks on the left picks the block shown, each node
// carrying its block's description path (kDescriptionPathRole).

#include "configurator/link/InspectorCallbacks.h"
#include "configurator/link/OptionsLink.h"
#include "configurator/windows/InspectorGrid.h"
#include "configurator/windows/ReplacementLists.h"

#include <QComboBox>
#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;
class QTreeWidget;

namespace zo::configurator {

class InspectorLink;
class TObjInspect;

// The role of an options tree node's description path (a QByteArray,
// Windows-1251; none on a node without an option block).
inline constexpr int kDescriptionPathRole = Qt::UserRole + 1;

// The grid area: paints the window's grid bitmap and hands the pointer to the window.
class TInspectorImage : public QWidget {
    Q_OBJECT
public:
    explicit TInspectorImage(TObjInspect& form);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TObjInspect& form_;
};

// The list editor: its drop-down list is as wide as its widest entry.
class TInspectorCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TInspectorCombo(QWidget* parent);
    void showPopup() override;
    // FitDropDownWidth: the list's width for the entries.
    int FitDropDownWidth();
    std::function<void()> onDoubleClick;
    std::function<void(int key)> onKeyUp;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

class TObjInspect : public QWidget {
    Q_OBJECT
public:
    TObjInspect(InspectorLink& link, uint8_t mode, QWidget* parent = nullptr);
    ~TObjInspect() override;

    // The host callbacks (the kernel's codes): the docked inspector repaints
    // and replaces its rows, the floating one shows a record at a place.
    void RepaintInspector();
    int32_t ShowElementProperties(const char* caption, int32_t count, const TStructInstance* items,
                                  TPropertiesChangedProc onChange, int32_t left, int32_t top, int32_t right,
                                  int32_t bottom);
    int32_t ReplaceElementProperties(const char* caption, int32_t count, const TStructInstance* items,
                                     TPropertiesChangedProc onChange);

    // Replacement lists: the global set from a folder or file, the file cache.
    int LoadReplacementLists(const std::string& source);
    int ClearReplacementLists() { return lists_.ClearReplacementLists(); }
    TReplacementLists& Lists() { return lists_; }

    void FormPaint();
    void FormMouseMove(const QPoint& position);
    void FormMouseDown(const QPoint& position);
    void EditValueKeyUp(int key);
    void CBKeyUp(int key);
    void CBChange();
    void BitBtndlgClick();
    void CBDblClick();
    void HideEditors();

    // Mode 2: the descriptions of the tree's blocks and the lookup of their
    // data (the options dialog's BlockLookup); the tree then shows its selected
    // node's block.
    void SetOptionBlocks(const TOptionsLink* descriptions, TOptionBlockLookup lookup);
    // Shows the selected node's block: its description loaded, its data found
    // by the lookup (none when its stored size differs from the description).
    void TreeView1Click();
    QTreeWidget* TreeView1() const { return tree_; }
    QPushButton* CloseButton() const { return closeButton_; }
    QPushButton* Button2() const { return applyButton_; }

    // State, for the callbacks and tests.
    const TInspectorGrid& Grid() const { return grid_; }
    const QImage& GridBitmap() const { return gridBitmap_; }
    const std::vector<TStructInstance>& Items() const { return items_; }
    uint8_t Mode() const { return mode_; }
    int HoverRow() const { return hoverRow_; }
    int HoverItem() const { return hoverItem_; }
    bool HasTypeDialog() const { return hasTypeDialog_ != 0; }
    QLineEdit* EditValue() const { return editValue_; }
    TInspectorCombo* CB() const { return combo_; }
    QToolButton* BitBtndlg() const { return dialogButton_; }
    QScrollBar* SB() const { return scroll_; }
    TInspectorImage* Image1() const { return image_; }
    std::vector<std::string>& Collapsed() { return collapsed_; }
    // Rows of the grid as painted now.
    std::vector<TInspectorRow> Rows() const;
    // The value cell of the selected row in window coordinates (empty when scrolled out).
    QRect GetEditorRect() const;

    TLogProc OnLog = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetItems(const char* caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc onChange);
    void ClearItems();
    void Report(const std::string& text, uint8_t level) const;
    void PlaceEditors();
    bool StoreText(const std::string& stored);
    void EditorKeyUp(int key, QWidget& editor, const QString& text);
    const TStructInstance* HoverInstance() const;


    InspectorLink& link_;
    uint8_t mode_;
    TReplacementLists lists_;
    std::vector<std::string> collapsed_;
    QImage gridBitmap_;
    std::vector<TStructInstance> items_;
    TPropertiesChangedProc onChange_ = nullptr;
    std::string caption_;
    int hoverItem_ = -1;
    int hoverInstance_ = -1;
    int hoverRow_ = -1;
    uint8_t hasTypeDialog_ = 0;
    TInspectorGrid grid_;

    TInspectorImage* image_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QWidget* splitter_ = nullptr;
    QWidget* panel_ = nullptr;
    QLineEdit* editValue_ = nullptr;
    TInspectorCombo* combo_ = nullptr;
    QToolButton* dialogButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    const TOptionsLink* descriptions_ = nullptr;
    TOptionBlockLookup blockLookup_ = nullptr;
};

}  // namespace zo::configurator
