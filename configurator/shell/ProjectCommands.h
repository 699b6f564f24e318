#pragma once
// The project commands of the main window: new, open, save, save as, close,
// the File and Project menus rebuilt at each opening, the recent projects,
// the sheet and library-file items, the zoom of the active scheme window, a
// new sheet and the project header. They reach the kernel only through the
// window's kernel link and do nothing with it while it is unbound.

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QMenu;

namespace zo::configurator {

class TMainForm;

// "Project" + the first N from 1 for which <folder>/Project<N>.hc does not exist.
QString ProposedProjectName(const QString& projectFolder);
// Empty when the name can be a project's file name, else the message (Windows-1251):
// empty, longer than 60 characters, holding a separator, ".." or a character
// a file name cannot hold.
std::string ProjectNameError(const std::string& name);

class TProjectCommands : public QObject {
    Q_OBJECT
public:
    // Connects the commands to the window's actions and fills the menus
    // "Файл" (object name "Files") and "Проект" ("project1") of its menu bar,
    // adding them when the bar has none yet.
    explicit TProjectCommands(TMainForm& form);

    void NewProjectExecute();
    void OpenProjectExecute();
    void SaveProjectExecute();
    void SaveProjectAsExecute();
    void CloseProjectExecute();
    void ProjectAddListExecute();
    void ProjectParamExecute();
    void ScalePlExecute();
    void ScaleMiExecute();
    void Scale100Execute();

    void FilesClick(QMenu& menu);
    void project1Click(QMenu& menu);
    void FastOpenPrjClick(int tag);
    void OpenShemClick(int tag);
    void OpenXMLClick(int tag);
    void OpenUpdateXMLClick();

    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* projectMenu() const { return projectMenu_; }

    // Both titles of a program without a project.
    void showNoProjectTitles();

private:
    // Opens OpenProjectFolder + OpenProjectName + ".hc" (open and fast open);
    // false (and no project) on failure.
    bool openNamedProject(bool programFolderCurrent);
    // Save: to the project's file, or (never saved) into the kernel's project
    // folder, asking before it replaces a file there; false when not saved.
    bool saveProject();
    // Saves to path; a failure is reported and changes nothing else.
    bool saveTo(const QString& path);
    void setProjectTitles(const QString& pathShown);
    bool confirmDrop();
    void setProgramFolderCurrent();

    TMainForm& form_;
    QMenu* fileMenu_ = nullptr;
    QMenu* projectMenu_ = nullptr;
};

// The project file of the window's open project (empty when none).
QString OpenProjectFile(const TMainForm& form);

}  // namespace zo::configurator
