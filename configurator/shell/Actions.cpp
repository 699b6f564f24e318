#include "configurator/shell/Actions.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QKeySequence>
#include <QWidget>

namespace zo::configurator {

namespace {

using A = ActionId;

// Every action of the main window, in ActionId order.
constexpr TActionSpec kActions[] = {
    {A::NewProject, "NewProject", "Новый проект", nullptr, nullptr, 0, false, true},
    {A::OpenProject, "OpenProject", "Открыть проект", nullptr, nullptr, 1, false, true},
    {A::SaveProject, "SaveProject", "Схранить проект", nullptr, nullptr, 2, false, true},
    {A::SaveProjectAs, "SaveProjectAs", "Сохранить проект как", nullptr, nullptr, 3, false, true},
    {A::CloseProject, "CloseProject", "Закрыть проект", nullptr, nullptr, 4, false, true},
    {A::EditUndo, "EditUndo", "Отменить", nullptr, "Ctrl+Z", 5, false, false},
    {A::EditRedo, "EditRedo", "Повторить", nullptr, "Ctrl+U", 6, false, false},
    {A::ReginSelect, "ReginSelect", "Режим выбора", nullptr, nullptr, 7, true, true},
    {A::RegimSoeden, "RegimSoeden", "Режим соединения", nullptr, nullptr, 8, true, true},
    {A::RegimDebug, "RegimDebug", "Режим отладка", nullptr, nullptr, 9, true, true},
    {A::ProjectParam, "ProjectParam", "Параметры пректа", nullptr, nullptr, 10, false, true},
    {A::ProjectAddList, "ProjectAddList", "Новый лист", nullptr, nullptr, 11, false, true},
    {A::ProjectCreateCFG, "ProjectCreateCFG", "Создать файл конфигураций", nullptr, nullptr, 12, false, true},
    {A::ProjectUpload, "ProjectUpload", "Собрать проект", nullptr, nullptr, 13, false, true},
    {A::ProjectOpenUpload, "ProjectOpenUpload", "Открыть созданный проект", nullptr, nullptr, -1, false, true},
    {A::ProjectRunUpload, "ProjectRunUpload", "Выполнить\\Перезапустить собранный проект",
     "Запустить Upload\\autoexec.bat", nullptr, 14, false, true},
    {A::ProjectStopUpload, "ProjectStopUpload", "Остановить запущенный проект",
     "Остановить запущенное из \"Upload\\\"", nullptr, 15, false, true},
    {A::ScaleMi, "ScaleMi", "Уменьшить", nullptr, nullptr, 16, false, true},
    {A::ScalePl, "ScalePl", "Увеличить", nullptr, nullptr, 17, false, true},
    {A::Scale100, "Scale100", "Scale100", "100%", nullptr, 18, false, true},
    {A::WinCascade, "WinCascade", "Каскадом схемы", nullptr, nullptr, 19, false, true},
    {A::WinHorizontal, "WinHorizontal", "Расположить схемы", nullptr, nullptr, 20, false, true},
    {A::WinMinimize, "WinMinimize", "Свернуть схемы", nullptr, nullptr, 21, false, true},
    {A::Options, "Options", "Настройки", nullptr, nullptr, 22, false, true},
};
static_assert(std::size(kActions) == kActionCount, "every ActionId is declared once");

constexpr bool declaredInOrder() {
    for (std::size_t i = 0; i < kActionCount; ++i)
        if (std::size_t(kActions[i].id) != i) return false;
    return true;
}
static_assert(declaredInOrder(), "the table is in ActionId order");

}  // namespace

const TActionSpec& ActionSpec(ActionId id) { return kActions[std::size_t(id)]; }

TActions::TActions(QWidget& window) : QObject(&window) {
    setObjectName("Actions");
    modes_ = new QActionGroup(this);
    modes_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const TActionSpec& spec : kActions) {
        auto* a = new QAction(QString::fromUtf8(spec.caption), &window);
        a->setObjectName(spec.name);
        a->setToolTip(QString::fromUtf8(spec.hint ? spec.hint : spec.caption));
        a->setStatusTip(a->toolTip());
        if (spec.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
        a->setCheckable(spec.checkable);
        a->setProperty("iconIndex", spec.icon);
        if (spec.checkable) modes_->addAction(a);
        actions_[std::size_t(spec.id)] = a;
        window.addAction(a);  // shortcuts work without a menu
    }
}

QAction* TActions::ByName(const QString& name) const {
    for (QAction* a : actions_)
        if (a->objectName() == name) return a;
    return nullptr;
}

QIcon TActions::Icon(int index) const { return index >= 0 && index < icons_.size() ? icons_[index] : QIcon(); }

QList<QAction*> TActions::All() const { return QList<QAction*>(actions_.begin(), actions_.end()); }

void TActions::Connect(ActionId id, QObject* context, std::function<void()> handler) {
    handled_[std::size_t(id)] = true;
    QObject::connect(get(id), &QAction::triggered, context, [handler = std::move(handler)] { handler(); });
}

QVector<ActionId> TActions::Unhandled() const {
    QVector<ActionId> missing;
    for (const TActionSpec& spec : kActions)
        if (spec.handled != handled_[std::size_t(spec.id)]) missing.append(spec.id);
    return missing;
}

void TActions::SetIcons(const QVector<QIcon>& icons) {
    icons_ = icons;
    for (QAction* a : actions_) {
        const int index = a->property("iconIndex").toInt();
        if (index >= 0 && index < icons.size()) a->setIcon(icons[index]);
    }
}

}  // namespace zo::configurator
