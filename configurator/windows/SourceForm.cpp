#include "configurator/windows/SourceForm.h"

#include "configurator/link/SourceLink.h"
#include "configurator/windows/DragMimeType.h"
#include "configurator/windows/FormShowBMP.h"
#include "configurator/windows/GraphicHintWindow.h"
#include "platform/Web.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <cstring>

#include "platform/Paths.h"

namespace zo::configurator {

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

const TLibraryNode* nodeOfIndex(const QModelIndex& index) {
    return reinterpret_cast<const TLibraryNode*>(index.data(kNodeRole).value<quintptr>());
}

int levelOf(const QModelIndex& index) {
    int level = 0;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) ++level;
    return level;
}

// Where the picture hint opens: below and right of the pointer.
const QPoint kHintOffset(16, 16);

}  // namespace


// ---- the tree -------------------------------------------------------------------------------

TLibraryTreeView::TLibraryTreeView(TSourceForm& form) : QTreeWidget(&form), form_(form) {
    setObjectName("TreeView1");
    setHeaderHidden(true);
    setRootIsDecorated(false);
    // The delegate indents the nodes itself (level x 18) so that a node's
    // rectangle is the whole row, as the bars need.
    setIndentation(0);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setMouseTracking(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAutoExpandDelay(0);
    setExpandsOnDoubleClick(true);
    setFrameShape(QFrame::NoFrame);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    setFont(f);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void TLibraryTreeView::startDrag(Qt::DropActions) {
    QMimeData* data = form_.MakeDragData();
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    form_.TreeView1MouseMove(QPoint(-1, -1));  // the hint goes while dragging
    const QPixmap picture = form_.DragPicture();
    if (!picture.isNull()) {
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(0, 0));
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void TLibraryTreeView::mouseMoveEvent(QMouseEvent* event) {
    form_.TreeView1MouseMove(event->position().toPoint());
    QTreeWidget::mouseMoveEvent(event);
}

void TLibraryTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QPoint at = event->position().toPoint();
        if (QTreeWidgetItem* item = itemAt(at)) setCurrentItem(item);  // right click selects
        form_.TreeView1RightRelease(at);
        form_.PopupMenuElement()->popup(viewport()->mapToGlobal(at));
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

// The tree itself takes no drop.
void TLibraryTreeView::dragEnterEvent(QDragEnterEvent* event) { event->ignore(); }
void TLibraryTreeView::dragMoveEvent(QDragMoveEvent* event) { event->ignore(); }
void TLibraryTreeView::dropEvent(QDropEvent* event) { event->ignore(); }

void TLibraryTreeView::leaveEvent(QEvent* event) {
    form_.TreeView1MouseMove(QPoint(-1, -1));
    QTreeWidget::leaveEvent(event);
}

// ---- drawing the nodes ------------------------------------------------------------------------

TLibraryItemDelegate::TLibraryItemDelegate(QTreeWidget& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

QImage TLibraryItemDelegate::GroupBar(QSize size) {
    QImage bar(size, QImage::Format_RGB32);
    bar.fill(QColor(0xC0, 0xC0, 0xC0));
    if (size.isEmpty()) return bar;
    const QRgb marker = qRgb(0xFF, 0x00, 0x00);  // 0x0000FF as 0x00BBGGRR
    {
        QPainter p(&bar);
        p.setPen(QColor(marker));
        p.setBrush(QColor(marker));
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, size.width() - 1, size.height() - 1), 3, 3);
        p.drawPath(path);
    }
    const int h = size.height();
    const double start = 0xAA, end = 0x99;
    for (int y = 0; y < h; ++y) {
        const int c = int(std::lround(start + (end - start) / h * y));
        const QRgb shade = qRgb(c, c, c);
        auto* line = reinterpret_cast<QRgb*>(bar.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (marker & 0xFFFFFF)) line[x] = shade;
    }
    return bar;
}

void TLibraryItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QRect r = option.rect;
    const int level = levelOf(index);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();
    painter->setFont(tree_.font());
    if (index.model()->hasChildren(index)) {
        QImage bar = GroupBar(r.size());
        {
            QPainter bp(&bar);
            bp.setFont(tree_.font());
            bp.setPen(Qt::black);
            bp.drawText(QRect(level * TSourceForm::kIndent + 5, 0, r.width(), r.height()),
                        Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        painter->drawImage(r.topLeft(), bar);
    } else {
        const bool focused = option.state & QStyle::State_HasFocus;
        painter->setBrush(tree_.palette().color(QPalette::Light));
        painter->setPen(tree_.palette().color(QPalette::Mid));
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->drawRoundedRect(r.adjusted(0, 0, -1, -1), 3, 3);
        painter->setPen(focused ? QColor(0, 0, 0xFF) : QColor(Qt::black));
        painter->drawText(QRect(r.left() + level * TSourceForm::kIndent + 5, r.top(), r.width(), r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter->restore();
}

QSize TLibraryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), QFontMetrics(tree_.font()).height() + 4));
    return size;
}

// ---- the window -------------------------------------------------------------------------------

TSourceForm::TSourceForm(SourceLink& link, QWidget* parent) : QWidget(parent), link_(link) {
    setObjectName("SourceForm");
    setWindowTitle(QString::fromUtf8("Элементы"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);

    tree_ = new TLibraryTreeView(*this);
    tree_->setItemDelegate(new TLibraryItemDelegate(*tree_));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);

    popup_ = new QMenu(this);
    popup_->setObjectName("PopupMenuElement");
    sourceInf_ = popup_->addAction(QString::fromUtf8("Описание блока "));
    sourceInf_->setObjectName("SourceInfFBD");
    sourceInf_->setVisible(false);
    separator_ = popup_->addSeparator();
    separator_->setObjectName("N1");
    sourceFiles_ = popup_->addMenu(QString::fromUtf8("Файлы описания FBD блоков"));
    sourceFiles_->setObjectName("SourceFiles");
    sourceFiles_->menuAction()->setObjectName("SourceFilesAction");
    sourceReload_ = popup_->addAction(QString::fromUtf8("Обновить описание FBD блоков"));
    sourceReload_->setObjectName("SourceReload");
    connect(popup_, &QMenu::aboutToShow, this, &TSourceForm::PopupMenuElementPopup);
    connect(sourceInf_, &QAction::triggered, this, &TSourceForm::SourceInfFBDClick);
    connect(sourceReload_, &QAction::triggered, this, &TSourceForm::SourceReloadClick);

    // The preview picture starts as a small frame.
    preview_ = QImage(30, 30, QImage::Format_RGB32);
    preview_.fill(Qt::white);
    {
        QPainter p(&preview_);
        p.setPen(Qt::black);
        p.drawRect(5, 5, 10, 9);
    }
    std::strcpy(dragObject_.ClassName, kDragObjectClassName);
    std::strcpy(dragTree_.ClassName, kDragTreeClassName);
    dragObject_.SourceTree = &dragTree_;

    OpenFile = [](const QString& nativePath) { platform::OpenUrlInBrowser(QUrl::fromLocalFile(nativePath).toString()); };
    // The picture hint shows the preview of the block under the pointer.
    SetHintBitmap(&preview_);
}

TSourceForm::~TSourceForm() {
    HideHint();
    if (HintBitmap() == &preview_) SetHintBitmap(nullptr);
    ClearSource();
}

int TSourceForm::ReloadSource(const std::string& path) {
    ClearSource();
    link_.ClearLibraryFiles();
    LoadSource(std::string(), path);
    return 0;
}

void TSourceForm::ClearSource() {
    HideHint();  // its node goes
    current_ = nullptr;
    dragTree_.SelectedData = nullptr;
    if (tree_) tree_->clear();
    library_.Children.clear();
}

void TSourceForm::LoadSource(const std::string& caption, const std::string& path) {
    TLibraryServices services;
    services.programFolder = [this] { return link_.ProgramFolder(); };
    services.addLibraryFile = [this](const std::string& file) { return link_.AddLibraryFile(file); };
    services.log = [this](const std::string& text, uint8_t level) { link_.Log(text, level); };
    services.repaint = [this] {
        RebuildTree();
        tree_->viewport()->update();
    };
    TLibraryLoader loader(library_, services);
    loader.LoadSource(caption, path);
    RebuildTree();
}

void TSourceForm::RebuildTree() {
    HideHint();  // its node goes
    current_ = nullptr;
    dragTree_.SelectedData = nullptr;
    tree_->clear();
    for (const auto& child : library_.Children) AddItems(nullptr, *child);
    tree_->expandAll();
}

void TSourceForm::AddItems(QTreeWidgetItem* parent, const TLibraryNode& node) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    item->setText(0, SourceLink::text(node.Text));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    for (const auto& child : node.Children) AddItems(item, *child);
}

const TLibraryNode* TSourceForm::NodeAt(const QPoint& position) const {
    const QTreeWidgetItem* item = tree_->itemAt(position);
    return item ? nodeOfIndex(tree_->indexFromItem(item)) : nullptr;
}

void TSourceForm::TreeView1MouseMove(const QPoint& position) {
    for (int panel = 0; panel < 3; ++panel) link_.SetStatusText(panel, QString());
    setToolTip(QString());
    current_ = NodeAt(position);
    if (!current_ || !current_->Record || !current_->Children.empty()) {
        HideHint();
        return;
    }
    const TLibraryNodeRecord& r = *current_->Record;
    const QString caption = SourceLink::text(r.Caption);
    link_.SetStatusText(2, caption + " (" + SourceLink::text(r.Path) + ")");
    setToolTip(caption);
    preview_ = QImage();
    const QImage picture = link_.BlockPreview(r.Path);
    if (!picture.isNull()) preview_ = picture.convertToFormat(QImage::Format_ARGB32);
    if (link_.HintsShown()) ShowHint(position);
    else HideHint();
}

void TSourceForm::ShowHint(const QPoint& position) {
    // The hint's text (the block's caption) is only the condition for showing it.
    const QString caption = current_ ? SourceLink::text(current_->Record->Caption) : QString();
    if (!isVisible() || caption.isEmpty()) {
        HideHint();
        return;
    }
    if (!hint_) hint_ = std::make_unique<TGraphicHintWindow>();
    hint_->ActivateHint(QRect(tree_->viewport()->mapToGlobal(position) + kHintOffset, QSize(1, 1)), caption);
}

void TSourceForm::HideHint() {
    if (hint_) hint_->hide();
}

bool TSourceForm::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) return true;
    return QWidget::event(event);
}

void TSourceForm::TreeView1RightRelease(const QPoint& position) {
    if (const TLibraryNode* node = NodeAt(position)) current_ = node;
}

void TSourceForm::PopupMenuElementPopup() {
    sourceInf_->setVisible(false);
    separator_->setVisible(false);
    sourceFiles_->menuAction()->setVisible(false);
    sourceReload_->setVisible(false);
    if (!link_.Bound()) return;
    const bool hasProgram = !link_.DeviceProgram().empty();
    if (hasProgram) {
        sourceReload_->setVisible(true);
        separator_->setVisible(true);
    }
    const int count = link_.LibraryFileCount();
    if (count > 0) {
        sourceFiles_->clear();
        for (int i = 0; i < count; ++i) {
            QAction* file = sourceFiles_->addAction(SourceLink::text(link_.LibraryFile(i)));
            file->setData(i);
            connect(file, &QAction::triggered, this, [this, i] { SourceFilesClick(i); });
        }
        sourceFiles_->menuAction()->setVisible(true);
    }
    if (current_ && current_->Record && hasProgram) {
        sourceInf_->setText(QString::fromUtf8("Описание блока ") + "\"" + SourceLink::text(current_->Text) + "\" (" +
                            SourceLink::text(current_->Record->Caption) + ")");
        sourceInf_->setVisible(true);
    }
}

void TSourceForm::SourceInfFBDClick() {
    if (!link_.Bound() || !current_ || !current_->Record) return;
    const QImage picture = link_.BlockInfoBitmap(current_->Record->Path);
    if (picture.isNull()) return;
    auto* window = new TFormShowBMP(this);
    window->SetPicture(&picture, QString::fromUtf8("Описание блока"));
    window->show();
}

void TSourceForm::SourceFilesClick(int index) {
    if (!link_.Bound()) return;
    const std::string file = link_.LibraryFile(index);
    if (file.empty()) return;
    // Only a path below the program folder (registered with a leading "\") gets
    // the folder put in front; a file from elsewhere keeps its own full path.
    const std::string path = file.front() == '\\' ? link_.ProgramFolder() + file : file;
    if (OpenFile) OpenFile(QString::fromStdString(platform::nativePath(path)));
}

void TSourceForm::SourceReloadClick() {
    if (!link_.Bound() || link_.DeviceProgram().empty()) return;
    ReloadSource(link_.DeviceFilePath());
}

QMimeData* TSourceForm::MakeDragData() {
    const QTreeWidgetItem* item = tree_->currentItem();
    const TLibraryNode* node = item ? nodeOfIndex(tree_->indexFromItem(item)) : nullptr;
    if (!node || !node->Record) return nullptr;
    dragTree_.SelectedData = node->Record.get();
    auto* data = new QMimeData;
    data->setData(kDragObjectMimeType, packDragObject(&dragObject_));
    return data;
}

QPixmap TSourceForm::DragPicture() const {
    if (preview_.isNull() || preview_.width() < 1 || preview_.height() < 1) return {};
    QPixmap picture = QPixmap::fromImage(preview_);
    // The colour of pixel (0,0) is transparent.
    picture.setMask(picture.createMaskFromColor(QColor(preview_.pixel(0, 0)), Qt::MaskInColor));
    return picture;
}

}  // namespace zo::configurator
