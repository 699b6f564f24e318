#include "configurator/windows/ProjectForm.h"

#include "common/abi/KeyCodes.h"
#include "common/abi/ProjectTreeHost.h"
#include "configurator/link/ProjectTreeLink.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace zo::configurator {


TProjectTreeView::TProjectTreeView(QWidget* parent) : QTreeWidget(parent) {
    setObjectName("TreeView1");
    setHeaderHidden(true);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
}

void TProjectTreeView::keyReleaseEvent(QKeyEvent* event) {
    QTreeWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && onKeyUp) onKeyUp(event->key());
}

void TProjectTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && onClick) onClick();
}

void TProjectTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (onDblClick) onDblClick();
}

TProjectForm::TProjectForm(ProjectTreeLink& link, QWidget* parent) : QWidget(parent), link_(link) {
    setObjectName("ProjectForm");
    setWindowTitle(QString::fromUtf8("Схемы"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    tree_ = new TProjectTreeView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);
    tree_->onClick = [this] { TreeView1Click(); };
    tree_->onDblClick = [this] { TreeView1DblClick(); };
    tree_->onKeyUp = [this](int key) { TreeView1KeyUp(KeyCode(key)); };
    link_.SetTree(tree_);
}

TProjectForm::~TProjectForm() {
    link_.SetTree(nullptr);
}

void TProjectForm::closeEvent(QCloseEvent* event) {
    // After closing, the kernel finds no tree to fill.
    link_.SetTree(nullptr);
    QWidget::closeEvent(event);
}

uint16_t TProjectForm::KeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return uint16_t(kKeyA + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return uint16_t('0' + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_Delete: return kKeyDelete;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyControl;
    case Qt::Key_Alt: return kKeyAlt;
    default: return 0;
    }
}

bool TProjectForm::Selection(std::string& sheetName, uint32_t& blockIndex) const {
    if (!link_.Bound()) return false;
    const QTreeWidgetItem* item = tree_->currentItem();
    if (!item || !item->isSelected()) return false;
    const QTreeWidgetItem* sheet = item->parent() ? item->parent() : item;
    sheetName = ProjectTreeLink::Cp1251(sheet->text(0));
    const QVariant data = item->data(0, ProjectTreeLink::kDataRole);
    blockIndex = data.isValid() ? data.value<uint32_t>() : kProjectTreeSheetData;
    return true;
}

void TProjectForm::TreeView1Click() {
    std::string sheet;
    uint32_t index = 0;
    if (Selection(sheet, index)) link_.Click(sheet, index);
}

void TProjectForm::TreeView1DblClick() {
    std::string sheet;
    uint32_t index = 0;
    if (Selection(sheet, index)) link_.DoubleClick(sheet);
}

void TProjectForm::TreeView1KeyUp(uint16_t key) {
    // Copied before the call: a Delete makes the kernel remove the very node.
    std::string sheet;
    uint32_t index = 0;
    if (Selection(sheet, index)) link_.KeyUp(sheet, index, key);
}

}  // namespace zo::configurator
