#pragma once
// The main window's actions, each declared once in Actions.cpp's table (name,
// caption, hint, shortcut, icon cell, checkable, whether a command handles it)
// and named everywhere else by its ActionId: the tool bar, the menus, the
// enable lists and the commands that connect their handlers. A name that is
// not declared does not build; a declared command that no handler took (or an
// inert one that got one) is listed by Unhandled().

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <utility>

class QAction;
class QActionGroup;
class QWidget;

namespace zo::configurator {

enum class ActionId {
    NewProject,
    OpenProject,
    SaveProject,
    SaveProjectAs,
    CloseProject,
    EditUndo,
    EditRedo,
    ReginSelect,
    RegimSoeden,
    RegimDebug,
    ProjectParam,
    ProjectAddList,
    ProjectCreateCFG,
    ProjectUpload,
    ProjectOpenUpload,
    ProjectRunUpload,
    ProjectStopUpload,
    ScaleMi,
    ScalePl,
    Scale100,
    WinCascade,
    WinHorizontal,
    WinMinimize,
    Options,
    Count
};
inline constexpr std::size_t kActionCount = std::size_t(ActionId::Count);

// One action as declared. Captions and hints are UTF-8.
struct TActionSpec {
    ActionId id;
    const char* name;      // the action's object name
    const char* caption;
    const char* hint;      // nullptr: the caption
    const char* shortcut;  // nullptr: none
    int icon;              // cell of the tool-bar icon strips, -1 none
    bool checkable;
    bool handled;          // false: executing does nothing, and it stays disabled
};
const TActionSpec& ActionSpec(ActionId id);

// The tool bar: the actions in order, Count standing for a separator.
inline constexpr ActionId kToolBarActions[] = {
    ActionId::NewProject,    ActionId::OpenProject,   ActionId::SaveProject,      ActionId::Count,
    ActionId::EditUndo,      ActionId::EditRedo,      ActionId::Count,            ActionId::ReginSelect,
    ActionId::RegimSoeden,   ActionId::RegimDebug,    ActionId::Count,            ActionId::ProjectParam,
    ActionId::ProjectAddList, ActionId::ProjectCreateCFG, ActionId::ProjectUpload, ActionId::Count,
    ActionId::ScaleMi,       ActionId::ScalePl,       ActionId::Scale100,         ActionId::Count,
    ActionId::WinCascade,    ActionId::WinHorizontal, ActionId::WinMinimize,      ActionId::Count,
    ActionId::Options};
// Enabled exactly while a project is open (NewProject and OpenProject the opposite way).
inline constexpr ActionId kProjectActions[] = {
    ActionId::SaveProject,       ActionId::SaveProjectAs,     ActionId::CloseProject,   ActionId::WinMinimize,
    ActionId::WinHorizontal,     ActionId::WinCascade,        ActionId::ProjectUpload,  ActionId::ProjectParam,
    ActionId::ProjectAddList,    ActionId::ProjectCreateCFG,  ActionId::ProjectRunUpload, ActionId::ProjectStopUpload,
    ActionId::ProjectOpenUpload, ActionId::ReginSelect,       ActionId::RegimSoeden,    ActionId::RegimDebug,
};
// Enabled only while a project is open and a scheme window is active.
inline constexpr ActionId kViewActions[] = {ActionId::ScalePl, ActionId::ScaleMi, ActionId::Scale100};
// The three mode actions, in the order Select, Connect, Debug.
inline constexpr ActionId kModeActions[] = {ActionId::ReginSelect, ActionId::RegimSoeden, ActionId::RegimDebug};

class TActions : public QObject {
    Q_OBJECT
public:
    // Makes every declared action as a child of window, where its shortcut works.
    explicit TActions(QWidget& window);

    QAction* operator[](ActionId id) const { return actions_[std::size_t(id)]; }
    QAction* get(ActionId id) const { return actions_[std::size_t(id)]; }
    // By object name, for tests and the panel lists; nullptr when none.
    QAction* ByName(const QString& name) const;
    QList<QAction*> All() const;

    // Runs handler (in context) whenever the action is triggered; the one
    // place a command takes its action.
    void Connect(ActionId id, QObject* context, std::function<void()> handler);
    // A command object's table of actions and its handlers.
    template <typename Command>
    void ConnectAll(Command* command, std::initializer_list<std::pair<ActionId, void (Command::*)()>> handlers) {
        for (const auto& entry : handlers) {
            const auto handler = entry.second;
            Connect(entry.first, command, [command, handler] { (command->*handler)(); });
        }
    }
    // The actions whose handling differs from the table: a declared command
    // that no handler took, or an action declared inert that got one.
    QVector<ActionId> Unhandled() const;

    // Each action's icon by its cell of the strip; the strip's cells stay for
    // the menu items that are no action (Icon: a null icon past the strip).
    void SetIcons(const QVector<QIcon>& icons);
    QIcon Icon(int index) const;

private:
    std::array<QAction*, kActionCount> actions_{};
    QVector<QIcon> icons_;
    std::array<bool, kActionCount> handled_{};
    QActionGroup* modes_ = nullptr;
};

}  // namespace zo::configurator
