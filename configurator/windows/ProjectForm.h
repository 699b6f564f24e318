#pragma once
// TProjectForm: the project tree window ("Схемы"). The kernel fills its tree
// (one node per sheet, one child per block) through the project tree link;
// clicks, double clicks and key releases on a node go back to the kernel's
// project-tree slots with the node's sheet name and block index.

#include <QTreeWidget>
#include <QWidget>

#include <cstdint>
#include <string>

namespace zo::configurator {

class ProjectTreeLink;

class TProjectTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TProjectTreeView(QWidget* parent);
    std::function<void(int key)> onKeyUp;
    std::function<void()> onClick;
    std::function<void()> onDblClick;

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TProjectForm : public QWidget {
    Q_OBJECT
public:
    explicit TProjectForm(ProjectTreeLink& link, QWidget* parent = nullptr);
    ~TProjectForm() override;

    TProjectTreeView* TreeView1() const { return tree_; }

    void TreeView1Click();
    void TreeView1DblClick();
    void TreeView1KeyUp(uint16_t key);

    // The kernel's key code of a toolkit key (Delete 46, letters and digits their codes).
    static uint16_t KeyCode(int qtKey);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The selected node's sheet name and block index, copied out; false without one.
    bool Selection(std::string& sheetName, uint32_t& blockIndex) const;

    ProjectTreeLink& link_;
    TProjectTreeView* tree_ = nullptr;
};

}  // namespace zo::configurator
