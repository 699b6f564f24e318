#include "configurator/windows/ObjInspect.h"

#include "configurator/link/InspectorLink.h"
#include "platform/Cp1251.h"
#include "platform/UiServices.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zo::configurator {


namespace {

constexpr int kEnterKey = 13;

int keyCodeOf(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ? kEnterKey : event->key();
}

// Key releases of an editor go to the window.
class KeyUpFilter : public QObject {
public:
    KeyUpFilter(QObject* parent, std::function<void(int)> handler) : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) handler_(keyCodeOf(static_cast<QKeyEvent*>(event)));
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int)> handler_;
};

}  // namespace

// ---- the grid area ------------------------------------------------------------------------------

TInspectorImage::TInspectorImage(TObjInspect& form) : QWidget(&form), form_(form) {
    setObjectName("Image1");
    setMouseTracking(true);
}

void TInspectorImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), form_.Grid().HeaderStyle.Brush);
    p.drawImage(0, 0, form_.GridBitmap());
}

void TInspectorImage::mouseMoveEvent(QMouseEvent* event) { form_.FormMouseMove(event->position().toPoint()); }

void TInspectorImage::mousePressEvent(QMouseEvent* event) {
    form_.FormMouseMove(event->position().toPoint());
    form_.FormMouseDown(event->position().toPoint());
}

void TInspectorImage::resizeEvent(QResizeEvent*) {}

// ---- the list editor ---------------------------------------------------------------------------

TInspectorCombo::TInspectorCombo(QWidget* parent) : QComboBox(parent) {
    setObjectName("CB");
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setFrame(false);
}

int TInspectorCombo::FitDropDownWidth() {
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    int width = widest + 8;
    if (this->width() >= width) return this->width();
    if (count() > maxVisibleItems()) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return width;
}

void TInspectorCombo::showPopup() {
    view()->setMinimumWidth(FitDropDownWidth());
    QComboBox::showPopup();
}

void TInspectorCombo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (onDoubleClick) onDoubleClick();
    QComboBox::mouseDoubleClickEvent(event);
}

void TInspectorCombo::keyReleaseEvent(QKeyEvent* event) {
    QComboBox::keyReleaseEvent(event);
}

// ---- the window --------------------------------------------------------------------------------

TObjInspect::TObjInspect(InspectorLink& link, uint8_t mode, QWidget* parent)
    : QWidget(parent), link_(link), mode_(mode) {
    setObjectName("ObjInspect");
    setWindowTitle(QString::fromUtf8("Свойства"));
    grid_.Collapsed = &collapsed_;
    grid_.InitInspectorGrid();
    grid_.SelectedItem = -1;

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName("TreeView1");
    tree_->setHeaderHidden(true);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    splitter_ = new QWidget(this);
    splitter_->setObjectName("Splitter1");
    splitter_->setFixedWidth(3);
    image_ = new TInspectorImage(*this);
    body->addWidget(tree_);
    body->addWidget(splitter_);
    body->addWidget(image_, 1);
    outer->addLayout(body, 1);

    panel_ = new QWidget(this);
    panel_->setObjectName("Panel1");
    auto* buttons = new QHBoxLayout(panel_);
    auto* button3 = new QPushButton(QString::fromUtf8("Востановить первоночальные  >>"), panel_);
    button3->setObjectName("Button3");
    auto* button2 = new QPushButton(QString::fromUtf8("Применить"), panel_);
    button2->setObjectName("Button2");
    auto* close = new QPushButton(QString::fromUtf8("Закрыть"), panel_);
    close->setObjectName("Close");
    closeButton_ = close;
    applyButton_ = button2;
    buttons->addWidget(button3);
    buttons->addStretch(1);
    buttons->addWidget(button2);
    buttons->addWidget(close);
    outer->addWidget(panel_);
    // Values are stored as they are entered: both buttons only close the window.
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(button2, &QPushButton::clicked, this, &QWidget::hide);

    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName("SB");
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this] {
        FormPaint();
        PlaceEditors();
    });

    QFont editorFont(QStringLiteral("Tahoma"));
    editorFont.setPixelSize(13);
    editorFont.setBold(true);
    editValue_ = new QLineEdit(this);
    editValue_->setObjectName("EditValue");
    editValue_->setFrame(false);
    editValue_->setFont(editorFont);
    editValue_->hide();
    editValue_->installEventFilter(new KeyUpFilter(editValue_, [this](int key) { EditValueKeyUp(key); }));
    combo_ = new TInspectorCombo(this);
    combo_->setFont(editorFont);
    combo_->hide();
    combo_->onDoubleClick = [this] { CBDblClick(); };
    combo_->lineEdit()->installEventFilter(new KeyUpFilter(combo_, [this](int key) { CBKeyUp(key); }));
    connect(combo_, &QComboBox::currentTextChanged, this, [this] { CBChange(); });
    dialogButton_ = new QToolButton(this);
    dialogButton_->setObjectName("BitBtndlg");
    dialogButton_->setText("...");
    QFont bold = dialogButton_->font();
    bold.setBold(true);
    dialogButton_->setFont(bold);
    dialogButton_->hide();
    connect(dialogButton_, &QToolButton::clicked, this, &TObjInspect::BitBtndlgClick);

    FormPaint();
}

TObjInspect::~TObjInspect() = default;

int TObjInspect::LoadReplacementLists(const std::string& source) {
    lists_.OnLog = [this](const std::string& text, uint8_t level) { Report(text, level); };
    return lists_.LoadReplacementLists(lists_.GlobalLists, source);
}

void TObjInspect::Report(const std::string& text, uint8_t level) const {
    if (OnLog) OnLog(text.c_str(), level);
}

// ---- the host callbacks ------------------------------------------------------------------------

void TObjInspect::RepaintInspector() { FormPaint(); }

void TObjInspect::ClearItems() {
    HideEditors();
    combo_->clear();
    grid_.SelectedRow = -1;
    grid_.SelectedInstance = nullptr;
    items_.clear();
    onChange_ = nullptr;
}

void TObjInspect::SetItems(const char* caption, int32_t count, const TStructInstance* items,
                           TPropertiesChangedProc onChange) {
    caption_ = caption;
    onChange_ = onChange;
    // The whole pairs, as this platform lays them out.
    items_.assign(items, items + count);
}

int32_t TObjInspect::ReplaceElementProperties(const char* caption, int32_t count, const TStructInstance* items,
                                              TPropertiesChangedProc onChange) {
    TObjInspect* self = this;
    self->ClearItems();
    self->FormPaint();
    if (!caption) {
        self->FormPaint();
        return -2;
    }
    self->caption_ = caption;
    if (count <= 0 || !items) {
        self->FormPaint();
        return -3;
    }
    self->SetItems(caption, count, items, onChange);
    self->FormPaint();
    return 0;
}

int32_t TObjInspect::ShowElementProperties(const char* caption, int32_t count, const TStructInstance* items,
                                           TPropertiesChangedProc onChange, int32_t left, int32_t top, int32_t right,
                                           int32_t bottom) {
    TObjInspect* self = this;
    if (!caption) return -1;
    if (count <= 0 || !items) return -2;
    self->ClearItems();
    self->SetItems(caption, count, items, onChange);
    self->setGeometry(left, top, std::max(1, right - left), std::max(1, bottom - top));
    self->setWindowTitle(InspectorLink::text(caption));
    self->mode_ = 1;
    self->grid_.SelectedItem = -1;
    self->FormPaint();
    self->show();
    self->raise();
    return 0;
}

// ---- painting ----------------------------------------------------------------------------------

std::vector<TInspectorRow> TObjInspect::Rows() const { return grid_.Rows(link_); }

void TObjInspect::FormPaint() {
    // The grid area's size also before the window is first shown.
    if (layout()) layout()->activate();
    grid_.Caption = caption_;
    const int imageWidth = image_->width();
    switch (mode_) {
    case 0:
        splitter_->hide();
        tree_->hide();
        panel_->hide();
        grid_.Grouped = 1;
        grid_.NameWidth = int16_t(imageWidth / 2);
        break;
    case 1:
        splitter_->hide();
        tree_->hide();
        panel_->show();
        grid_.Grouped = 0;
        grid_.ShowCaptions = 1;
        grid_.NameWidth = int16_t((imageWidth / 8) * 2);
        grid_.ValueWidth = grid_.NameWidth;
        break;
    default:
        splitter_->show();
        tree_->show();
        panel_->show();
        grid_.Grouped = 0;
        grid_.ShowCaptions = 1;
        grid_.NameWidth = 0;
        grid_.ValueWidth = int16_t((imageWidth / 5) * 2);
        break;
    }
    grid_.Left = int16_t(image_->x());
    grid_.Top = int16_t(image_->y());
    grid_.Width = uint16_t(std::max(0, imageWidth));
    grid_.Height = uint16_t(std::max(0, image_->height()));
    grid_.Count = int(items_.size());
    grid_.Items = items_.empty() ? nullptr : items_.data();

    const int visible = grid_.VisibleRows();
    const int all = int(Rows().size());
    if (grid_.Count > 0 && visible > 0 && visible < all) {
        const QSignalBlocker block(scroll_);
        scroll_->setRange(0, all - visible);
        scroll_->setPageStep(visible);
        const int barWidth = scroll_->sizeHint().width();
        scroll_->setGeometry(image_->x() + imageWidth - barWidth, image_->y(), barWidth, image_->height());
        scroll_->show();
        scroll_->raise();
        grid_.Width = uint16_t(std::max(0, imageWidth - barWidth - 1));
        grid_.TopRow = scroll_->value();
    } else {
        const QSignalBlocker block(scroll_);
        scroll_->hide();
        scroll_->setValue(0);
        grid_.TopRow = 0;
    }
    grid_.PaintInspectorGrid(gridBitmap_, link_, lists_);
    image_->update();
}

void TObjInspect::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    HideEditors();
    FormPaint();
}

void TObjInspect::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isWindow() && !isActiveWindow()) HideEditors();
    QWidget::changeEvent(event);
}

// ---- pointer -----------------------------------------------------------------------------------

const TStructInstance* TObjInspect::HoverInstance() const {
    return hoverInstance_ >= 0 && size_t(hoverInstance_) < items_.size() ? &items_[size_t(hoverInstance_)] : nullptr;
}

void TObjInspect::FormMouseMove(const QPoint& position) {
    link_.SetStatusText(0, QString());
    link_.SetStatusText(1, QString());
    hoverInstance_ = -1;
    hoverItem_ = -1;
    const std::vector<TInspectorRow> rows = Rows();
    hoverRow_ = grid_.InspectorHitTest(position.y(), int(rows.size()));
    if (hoverRow_ >= 0) {
        hoverInstance_ = rows[size_t(hoverRow_)].Instance;
        hoverItem_ = rows[size_t(hoverRow_)].Item;
    }
    const TStructInstance* instance = HoverInstance();
    if (instance && hoverItem_ >= 0) {
        link_.SetStatusText(2, InspectorLink::text(link_.ItemName(instance, hoverItem_) + " (" +
                                                   link_.ItemType(instance, hoverItem_) + ")  " +
                                                   link_.ItemCaption(instance, hoverItem_)));
    } else {
        link_.SetStatusText(2, QString());
    }
}

QRect TObjInspect::GetEditorRect() const {
    if (grid_.SelectedRow < grid_.TopRow || grid_.SelectedRow >= grid_.TopRow + grid_.VisibleRows()) return {};
    const int top = grid_.Top + grid_.CaptionHeight() + 1 + (grid_.SelectedRow - grid_.TopRow) * grid_.RowHeight();
    const int left = grid_.Left + grid_.NameWidth + 1;
    const int right = grid_.Left + grid_.NameWidth + grid_.ValueWidth - 1;
    return QRect(QPoint(left, top + 1), QPoint(right, top + grid_.RowHeight() - 1));
}

void TObjInspect::HideEditors() {
    editValue_->hide();
    combo_->hide();
    dialogButton_->hide();
}

void TObjInspect::FormMouseDown(const QPoint&) {
    HideEditors();
    {
        const QSignalBlocker block(combo_);
        combo_->clear();
    }
    grid_.SelectedRow = -1;
    grid_.SelectedInstance = nullptr;
    const TStructInstance* instance = HoverInstance();
    if (instance && hoverItem_ < 0) {
        const std::string name = link_.StructName(instance);
        const auto found = std::find(collapsed_.begin(), collapsed_.end(), name);
        if (found == collapsed_.end()) {
            collapsed_.push_back(name);
        } else {
            collapsed_.erase(found);
        }
    }
    const std::string type = instance && hoverItem_ >= 0 ? link_.ItemType(instance, hoverItem_) : std::string();
    if (!instance || hoverItem_ < 0 || link_.ItemKind(instance, hoverItem_) != "VAR" || type.empty()) {
        grid_.SelectedItem = -1;
        FormPaint();
        return;
    }
    grid_.SelectedRow = hoverRow_;
    grid_.SelectedItem = hoverItem_;
    grid_.SelectedInstance = instance;
    const std::string path = link_.StructPath(instance);
    const std::string name = link_.ItemName(instance, hoverItem_);
    const std::string value = link_.ItemValue(instance, hoverItem_);
    const std::string list = link_.ItemList(instance, hoverItem_);
    hasTypeDialog_ = link_.OpenDialogOfType(type, nullptr) >= 1 ? 1 : 0;
    FormPaint();
    QRect rect = GetEditorRect();
    editValue_->setEchoMode(TInspectorGrid::IsPassword(name, type) ? QLineEdit::Password : QLineEdit::Normal);
    std::vector<std::string> entries;
    if (!list.empty()) lists_.FillValueList(path, list, entries);
    const QString shown = InspectorLink::text(lists_.TranslateValue(path, value, list));
    QPalette pal;
    pal.setColor(QPalette::Base, grid_.ValueStyle.SelectedBrush);
    pal.setColor(QPalette::Text, grid_.ValueStyle.FontColor);
    if (entries.empty()) {
        if (hasTypeDialog_ && rect.width() > rect.height()) {
            dialogButton_->setGeometry(rect.right() - rect.height() + 1, rect.top(), rect.height(), rect.height());
            dialogButton_->show();
            dialogButton_->raise();
            rect.setRight(rect.right() - rect.height());
        }
        editValue_->setPalette(pal);
        editValue_->setGeometry(rect);
        editValue_->setText(shown);
        editValue_->selectAll();
        editValue_->show();
        editValue_->raise();
        editValue_->setFocus();
    } else {
        const QSignalBlocker block(combo_);
        for (const std::string& entry : entries) combo_->addItem(InspectorLink::text(entry));
        combo_->setCurrentIndex(combo_->findText(shown, Qt::MatchExactly));
        combo_->setPalette(pal);
        const QRect wider = rect.adjusted(-1, -3, 4, 3);
        combo_->setGeometry(wider);
        combo_->setMask(QRegion(QRect(QPoint(2, 3), QPoint(wider.width(), wider.height() - 4))));
        combo_->setEditText(shown);
        combo_->lineEdit()->selectAll();
        combo_->show();
        combo_->raise();
        combo_->setFocus();
    }
}

void TObjInspect::PlaceEditors() {
    if (grid_.SelectedRow < 0) return;
    const QRect rect = GetEditorRect();
    if (rect.isEmpty()) {
        HideEditors();
        return;
    }
    if (!editValue_->isHidden()) {
        QRect text = rect;
        if (!dialogButton_->isHidden()) {
            dialogButton_->move(dialogButton_->x(), rect.top());
            text.setRight(rect.right() - rect.height());
        }
        editValue_->setGeometry(text);
    }
    if (!combo_->isHidden()) combo_->setGeometry(rect.adjusted(-1, -3, 4, 3));
}

// ---- editing -----------------------------------------------------------------------------------

// The selected row, never the row under the pointer, is the one edited.
bool TObjInspect::StoreText(const std::string& stored) {
    const TStructInstance* instance = grid_.SelectedInstance;
    const int item = grid_.SelectedItem;
    if (!link_.TextIsValue(link_.ItemType(instance, item), stored)) return false;
    link_.SetItemValue(instance, item, stored);
    if (onChange_) onChange_();
    return true;
}

void TObjInspect::EditValueKeyUp(int key) { EditorKeyUp(key, *editValue_, editValue_->text()); }

void TObjInspect::CBKeyUp(int key) { EditorKeyUp(key, *combo_, combo_->currentText()); }

// Enter stores the editor's text; any other key tints the editor by whether
// its text would be a value of the row's type.
void TObjInspect::EditorKeyUp(int key, QWidget& editor, const QString& text) {
    const TStructInstance* instance = grid_.SelectedInstance;
    if (!instance || grid_.SelectedItem < 0 || !link_.CanConvert()) return;
    const std::string stored = lists_.TranslateToStored(link_.StructPath(instance), InspectorLink::Cp1251(text),
                                                        link_.ItemList(instance, grid_.SelectedItem));
    if (key == kEnterKey) {
        // A text the field cannot hold is dropped; the log says why.
        if (!StoreText(stored))
            Report(ZO_RU("Значение ") + "\"" + stored + "\"" + ZO_RU(" не допустимо для поля ") + "\"" +
                       link_.ItemName(instance, grid_.SelectedItem) + "\" (" +
                       link_.ItemType(instance, grid_.SelectedItem) + ZO_RU("), не сохранено"),
                   3);
        HideEditors();
        FormPaint();
        return;
    }
    const bool valid = link_.TextIsValue(link_.ItemType(instance, grid_.SelectedItem), stored);
    QPalette pal = editor.palette();
    pal.setColor(QPalette::Base, valid ? grid_.ValueStyle.SelectedBrush : QColor(0xFF, 0xDE, 0xDE));
    editor.setPalette(pal);
}

void TObjInspect::CBChange() {
    const TStructInstance* instance = grid_.SelectedInstance;
    if (!instance || grid_.SelectedItem < 0 || !link_.CanConvert() || combo_->isHidden()) return;
    const std::string stored = lists_.TranslateToStored(link_.StructPath(instance),
                                                        InspectorLink::Cp1251(combo_->currentText()),
                                                        link_.ItemList(instance, grid_.SelectedItem));
    if (StoreText(stored)) FormPaint();
}

void TObjInspect::BitBtndlgClick() {
    const TStructInstance* instance = grid_.SelectedInstance;
    const int item = grid_.SelectedItem;
    if (!hasTypeDialog_ || !instance || item < 0 || !link_.CanConvert()) return;
    void* value = link_.ItemPtr(instance, item);
    if (!value) {
        // The record is shorter than its description says: nothing to edit in place.
        Report(ZO_RU("Нет значения поля ") + "\"" + link_.ItemName(instance, item) + "\"" +
                   ZO_RU(": запись блока не совпадает с описанием"),
               5);
        if (!OnLog)
            platform::showMessage(ZO_RU("Нет значения поля ") + "\"" + link_.ItemName(instance, item) + "\"");
        return;
    }
    link_.OpenDialogOfType(link_.ItemType(instance, item), value);
    if (onChange_) onChange_();
    // The change may have refilled the inspector: the row edited is then gone.
    if (grid_.SelectedInstance != instance) return;
    FormPaint();
    editValue_->setText(InspectorLink::text(link_.ItemValue(instance, item)));
}

void TObjInspect::CBDblClick() {
    const TStructInstance* instance = grid_.SelectedInstance;
    const int item = grid_.SelectedItem;
    if (!hasTypeDialog_ || !instance || item < 0 || !link_.CanConvert()) return;
    void* value = link_.ItemPtr(instance, item);
    if (!value) {
        Report(ZO_RU("Нет значения поля ") + "\"" + link_.ItemName(instance, item) + "\"" +
                   ZO_RU(": запись блока не совпадает с описанием"),
               5);
        return;
    }
    link_.OpenDialogOfType(link_.ItemType(instance, item), value);
    {
        const QSignalBlocker block(combo_);
        combo_->setEditText(InspectorLink::text(
            lists_.TranslateValue(link_.StructPath(instance), link_.ItemValue(instance, item),
                                  link_.ItemList(instance, item))));
    }
    if (onChange_) onChange_();
}

// ---- the options tree (mode 2) ----------------------------------------------------------------

void TObjInspect::SetOptionBlocks(const TOptionsLink* descriptions, TOptionBlockLookup lookup) {
    descriptions_ = descriptions;
    blockLookup_ = lookup;
    disconnect(tree_, nullptr, this, nullptr);
    // A click, a key moving the selection and a selection made by the program.
    connect(tree_, &QTreeWidget::itemClicked, this, [this] { TreeView1Click(); });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Click(); });
}

void TObjInspect::TreeView1Click() {
    ClearItems();
    grid_.SelectedItem = -1;
    caption_.clear();
    const QTreeWidgetItem* node = tree_->currentItem();
    const QByteArray path = node ? node->data(0, kDescriptionPathRole).toByteArray() : QByteArray();
    void* structRef = nullptr;
    int32_t descriptionSize = 0;
    // A node without a block (a group) shows nothing: the kernel is not asked
    // for the description of an empty path, which it could only refuse.
    if (path.isEmpty() || !descriptions_ || !blockLookup_ ||
        descriptions_->GetStructDescription(path.toStdString(), &structRef, &descriptionSize) != 0 || !structRef) {
        FormPaint();
        return;
    }
    const TStructInstance described{structRef, nullptr};
    void* data = nullptr;
    int32_t blockSize = 0;
    int32_t reserved = 0;
    if (blockLookup_(link_.StructName(&described).c_str(), &data, &blockSize, &reserved) != 0) {
        FormPaint();
        return;
    }
    if (blockSize != descriptionSize) data = nullptr;  // the rows then have no record behind them
    const TStructInstance instance{structRef, data};
    SetItems(link_.StructCaption(&instance).c_str(), 1, &instance, nullptr);
    FormPaint();
}

}  // namespace zo::configurator
