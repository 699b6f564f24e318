#pragma once
// The project commands of the main window: new, open, save, save as, close,
// the File and Project menus rebuilt at each opening, the recent projects,
// the sheet and library-file items, the zoom of the active scheme window, a
// new sheet and the project header. They reach the kernel only through the
// project session and do nothing with it while it is unbound.

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QMdiArea;
class QMenu;
class QWidget;

namespace zo::configurator {

enum class SessionResult;
class IHostServices;
class TActions;
class TProgramPanels;
class TProjectSession;

// "Project" + the first N from 1 for which <folder>/Project<N>.hc does not exist.
QString ProposedProjectName(const QString& projectFolder);
// Empty when the name can be a project's file name, else the message (Windows-1251):
// empty, longer than 60 characters, holding a separator, ".." or a character
// a file name cannot hold.
std::string ProjectNameError(const std::string& name);
// The box that refuses a project path the kernel cannot name (characters
// outside Windows-1251), naming the path readably; caption in Windows-1251.
void ReportUnnamablePath(const QString& path, const std::string& caption);
// Before a project file is opened (command line, open, recent list): empty
// when the kernel may be handed it, else the message (Windows-1251) that
// refuses it - a path outside Windows-1251, a file name New and Save As would
// refuse as a project's name, no such file, a folder.
std::string OpenedFileError(const QString& path);
// Shows OpenedFileError's message when there is one; true when path may be opened.
bool CheckOpenedFile(const QString& path);
// The box for an open of path that came to Unnamable or NotProject; nothing for other results.
void ReportOpenFailure(SessionResult result, const QString& path);

class TProjectCommands : public QObject {
    Q_OBJECT
public:
    // Connects the commands to their actions and fills the two menus "Файл"
    // and "Проект" at each opening. The zoom commands act on the active child
    // of area; dialogs are owned by window.
    TProjectCommands(TProjectSession& session, TActions& actions, IHostServices& host, TProgramPanels& panels,
                     QMdiArea& area, QWidget& window, QMenu& fileMenu, QMenu& projectMenu);

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
    void Project1Click(QMenu& menu);
    void FastOpenPrjClick(int tag);
    void OpenShemClick(int tag);
    void OpenXMLClick(int tag);

    // Before the open project is dropped (another opened, closed, the program
    // closed): Да/Нет/Отмена when it holds work its file lacks; Да saves it as
    // "Схранить проект" does (a project never saved into the kernel's project
    // folder, asking before it replaces a file). false: keep the project.
    bool ConfirmDrop();

    // As a signal ends the program: work the project's file lacks is written
    // into the session's recovery copy, nothing asked, and the log says where.
    void KeepUnsavedWork();

    QMenu* FileMenu() const { return &fileMenu_; }
    QMenu* ProjectMenu() const { return &projectMenu_; }

private:
    enum class SaveOutcome { Saved, Failed, Cancelled };

    // Opens path (open and fast open); false (and no project) on failure.
    bool OpenProject(const QString& path, bool programFolderCurrent);
    // The open project closed before another is opened.
    void CloseForOpen();
    // Save: to the project's file, or (never saved) into the kernel's project
    // folder, asking before it replaces a file there.
    SaveOutcome SaveProject();
    // Saves to path; a failure is reported and changes nothing else. Over the
    // project's own file changed since it was opened or saved here, asks first:
    // replace it, save elsewhere (the save-as chooser) or cancel.
    SaveOutcome SaveTo(const QString& path);
    // The save-as chooser and the save; Cancelled when the chooser was.
    SaveOutcome SaveAs();
    // After the save the drop question asked for failed: save elsewhere (Да),
    // drop the work (Нет) or keep the project (Отмена), until one is done.
    bool AfterFailedSave();
    void SetProgramFolderCurrent();
    // After a project opened: tells of a recovery copy left beside it.
    void ReportRecoveryCopy();

    TProjectSession& session_;
    TActions& actions_;
    IHostServices& host_;
    TProgramPanels& panels_;
    QMdiArea& area_;
    QWidget& window_;
    QMenu& fileMenu_;
    QMenu& projectMenu_;
};

}  // namespace zo::configurator
