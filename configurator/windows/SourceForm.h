#pragma once
// TSourceForm: the element library window ("Элементы"). It shows the groups and
// blocks of the current device's element library files (read into
// TLibraryTree's plain nodes), hints a block's preview picture, and is the drag
// source of every new block on a scheme: a drag carries the TMyDragObject the
// kernel accepts in SheetDragOver / SheetDragDrop.

#include "common/abi/DragObject.h"
#include "configurator/windows/LibraryTree.h"

#include <QImage>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMimeData;

namespace zo::configurator {

class SourceLink;
class TGraphicHintWindow;
class TSourceForm;

// The library tree: hands drags and pointer moves to its window.
class TLibraryTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TLibraryTreeView(TSourceForm& form);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TSourceForm& form_;
};

// Group bars with their gradient and rounded corners, block nodes in rounded frames.
class TLibraryItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TLibraryItemDelegate(QTreeWidget& tree);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The bar of a group node: silver, a rounded rectangle (corner 6x6) of the
    // vertical gradient from 0xAAAAAA towards 0x999999.
    static QImage GroupBar(QSize size);

private:
    QTreeWidget& tree_;
};

class TSourceForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIndent = 18;

    explicit TSourceForm(SourceLink& link, QWidget* parent = nullptr);
    ~TSourceForm() override;

    // Empties the tree and the kernel's file list and loads the file (the
    // device description); 0.
    int ReloadSource(const std::string& path);
    void ClearSourceForm() { ClearSource(); }

    void ClearSource();
    void LoadSource(const std::string& caption, const std::string& path);

    // The plain tree the widget shows.
    const TLibraryNode& Library() const { return library_; }
    TLibraryTreeView* TreeView1() const { return tree_; }
    QMenu* PopupMenuElement() const { return popup_; }
    const QImage& PreviewBitmap() const { return preview_; }
    const TLibraryNode* CurrentNode() const { return current_; }
    // The picture hint of the block under the pointer; nil before the first.
    const TGraphicHintWindow* PictureHint() const { return hint_.get(); }

    // Handlers (public: the tree forwards to them, tests drive them).
    void TreeView1MouseMove(const QPoint& position);
    void TreeView1RightRelease(const QPoint& position);
    void PopupMenuElementPopup();
    void SourceInfFBDClick();
    void SourceFilesClick(int index);
    void SourceReloadClick();
    // The drag payload of the selected node (the drag object filled for the
    // kernel) and the picture shown while dragging; nil without a block node.
    QMimeData* MakeDragData();
    QPixmap DragPicture() const;
    const TMyDragObject& DragObject() const { return dragObject_; }

    // How a library file is shown (a desktop browser by default); tests replace it.
    std::function<void(const QString& nativePath)> OpenFile;

protected:
    // The window's hint is shown by the picture hint, not as a plain tool tip.
    bool event(QEvent* event) override;

private:
    void RebuildTree();
    void AddItems(QTreeWidgetItem* parent, const TLibraryNode& node);
    const TLibraryNode* NodeAt(const QPoint& position) const;
    void ShowHint(const QPoint& position);
    void HideHint();


    SourceLink& link_;
    TLibraryNode library_;
    TLibraryTreeView* tree_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* sourceInf_ = nullptr;
    QAction* separator_ = nullptr;
    QMenu* sourceFiles_ = nullptr;
    QAction* sourceReload_ = nullptr;
    QImage preview_;
    const TLibraryNode* current_ = nullptr;
    std::unique_ptr<TGraphicHintWindow> hint_;
    TMyDragObject dragObject_{};
    TDragControl dragTree_{};
};

}  // namespace zo::configurator
