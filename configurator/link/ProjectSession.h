#pragma once
// The program's one project session: the only owner of the open project's
// folder and name, and the only holder of the kernel record outside link/'s
// own binders (the window links that take the record from it). The shell and
// the windows reach the kernel through its typed calls; texts are QString here
// and Windows-1251 on the kernel's side. Every call answers "not bound" (or an
// empty value) while no kernel is bound, as a missing slot does.
//
// A project is open while its name is not empty; a new, never saved project
// has an empty folder. The project file is folder + name + ".hc".

#include "common/abi/KernelOptions.h"
#include "common/abi/LogProc.h"
#include "configurator/link/ProjectComparison.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TZoStringList;

namespace zo::configurator {

class IHostServices;

// The kernel's editing modes (GetMode / SetMode).
enum class KernelMode : int { Select = 0, Connect = 2, Debug = 3 };

// What a session call came to.
enum class SessionResult {
    Done,      // the kernel did it (result 0)
    NotBound,  // no kernel, or the record lacks the slot
    Refused,   // the kernel answered a failure (it has logged why)
    Unnamable, // the path has characters the kernel's Windows-1251 cannot hold: nothing was done
    NotProject, // the file opened, but holds no project (OpenProject: no single root, no project record)
};

// The kernel's folders, each as the kernel names it.
enum class KernelFolder { Program, Device, Project, Struct, Upload, Configuration, DeviceRuntime };

// The kernel's LoadOptionBlock / SaveOptionBlock (description path, value path, block, size).
using TOptionBlockSlot = int32_t (*)(const char* descriptionPath, const char* valuePath, void* block, int32_t size);
// The kernel's CreateConfigFile, as a builder plug-in is handed it.
using TCreateConfigSlot = int32_t (*)(const char* cfgPath, const char* logName, TZoStringList* list);

// What a build reads of the open project and its device, once per build
// (Windows-1251 texts as the kernel gives them).
struct TBuildInputs {
    std::string ProjectName;
    std::string DeviceFilePath;
    std::string DeviceProgram;
    std::string ProgramFolder;
    std::string DeviceFolder;
    std::string DeviceRuntimeFolder;
    std::string ConfigurationFolder;
    std::string UploadFolder;
    TCreateConfigSlot CreateConfig = nullptr;
};

class TProjectSession : public QObject {
    Q_OBJECT
public:
    explicit TProjectSession(TKernelOptions* record = nullptr, QObject* parent = nullptr);
    ~TProjectSession() override;

    // -- The kernel ------------------------------------------------------------------------------
    // Binds the kernel library ("\system" of the current folder, else of the
    // registry's program folder) and takes its record; false when not bound.
    bool BindKernel(void* application, TLogProc log);
    // Forgets the record and unbinds the kernel library (KernelDone first).
    void UnbindKernel(TLogProc log);
    // A record bound elsewhere (a test's fake); nil forgets it. saveCopy is
    // the kernel's SaveProjectCopy (nil: every project counts as unsaved work).
    void SetRecord(TKernelOptions* record, TPathProc saveCopy = nullptr) {
        record_ = record;
        saveCopy_ = saveCopy;
    }
    bool Bound() const { return record_ != nullptr; }
    // For link/'s binders only (the window links and the host slots).
    TKernelOptions* Record() const { return record_; }
    // The variable holding the record, for a link that follows it (the scheme windows).
    TKernelOptions* const* RecordSource() const { return &record_; }

    // The kernel's own log lines into the program's log (the logging
    // library's WriteLine), the host slots aimed at services, the conversion
    // record, then KernelInit.
    void Start(IHostServices* services);

    // -- The open project ------------------------------------------------------------------------
    bool IsOpen() const { return !name_.isEmpty(); }
    QString Name() const { return name_; }
    // With its trailing separator; empty for a project never saved.
    QString Folder() const { return folder_; }
    // folder + name + ".hc"; empty while no project is open.
    QString FilePath() const;
    // The path the titles show: the file, or the name alone for a project never saved.
    QString ShownPath() const;
    // The device description's path as the kernel names it.
    QString DeviceFilePath() const;
    // Whether the kernel can be handed the path: every character of it in Windows-1251.
    static bool KernelCanName(const QString& path);
    // The project file a chosen path stands for: its folder (absolute, with its
    // separator) + its name without extension + ".hc".
    static QString ProjectFileOf(const QString& path);
    // Names the project without opening it (the command line, before the
    // kernel is started): folder with or without its separator.
    void Assign(const QString& folder, const QString& name);

    // NewProject: on success the project is open, never saved.
    SessionResult New(const std::string& name, const std::string& deviceFile);
    // OpenProject of <folder><name>.hc, whatever extension the path has. On a
    // failure the kernel's project is closed and none is open. A path the
    // kernel cannot name reaches no kernel call (Unnamable, no project).
    SessionResult Open(const QString& path);
    // Opens the project Assign named.
    SessionResult OpenAssigned();
    // SaveProject to path; on success the project's file is path. A path the
    // kernel cannot name is not saved to (Unnamable, nothing changed).
    SessionResult Save(const QString& path);
    // CloseProject of the project's file; no project afterwards.
    void Close();
    // As the program ends: the kernel's project closed, the names kept.
    void CloseForExit();
    // Whether the project holds work its file lacks: the kernel's copy of it
    // now against its text when it was opened or last saved (a project never
    // saved always does). Writes nothing but a private temporary copy.
    bool DiffersFromFile() const;
    // Whether the project's file is still the one this session opened or last
    // saved (true for a project never saved, or a file gone since).
    bool FileStillOurs() const;
    // Where unsaved work is kept when the program is ended by a signal:
    // beside the project file (the kernel's project folder for a project never
    // saved), as <name>.hc.recovery, which no open or save takes for a project.
    QString RecoveryPath() const;
    // Writes the project into RecoveryPath (atomically, the project's own file
    // and the channel base untouched); false when it could not be written.
    bool SaveRecoveryCopy() const;

    // -- Sheets, header, library files -----------------------------------------------------------
    void AddSheet() const;
    void EditProjectHeader() const;
    int SheetCount() const;
    QString SheetName(int index) const;
    void OpenSheetWindow(const QString& sheet) const;
    int LibraryFileCount() const;
    QString LibraryFile(int index) const;

    // -- Folders and device ----------------------------------------------------------------------
    // As the kernel names it (Windows-1251); empty when unbound.
    std::string FolderText(KernelFolder folder) const;
    // The same as a path of this file system.
    QString FolderPath(KernelFolder folder) const;
    // The program folder + a Windows-style relative path, as a path of this file system.
    QString ProgramPath(const std::string& relative) const;
    std::string DeviceFilePathText() const;
    std::string DeviceProgramText() const;

    // -- Modes and builds ------------------------------------------------------------------------
    // -1 while unbound.
    int Mode() const;
    void SetMode(KernelMode mode) const;
    // The kernel's upload-folder build, logging into logName.
    SessionResult BuildProjectFolder(const char* logName) const;
    // The configuration file; libraries (when given) gets the code files of its blocks.
    SessionResult CreateConfigFile(const std::string& cfgPath, const char* logName,
                                   std::vector<std::string>* libraries) const;
    TBuildInputs BuildInputs() const;

    // -- Option blocks ---------------------------------------------------------------------------
    // The kernel's LoadOptionBlock / SaveOptionBlock; nil when unbound.
    TOptionBlockSlot LoadOptionBlockSlot() const;
    TOptionBlockSlot SaveOptionBlockSlot() const;

signals:
    void Opened();
    void Closed();
    // The project is kept in another file now (saved, saved as, or first saved).
    void Renamed();

private:
    void SetFile(const QString& path);
    void clear();
    // The text and the file's stamp the later comparisons start from.
    void KeepOpened();
    void KeepSaved();

    TKernelOptions* record_;
    TPathProc saveCopy_ = nullptr;
    // The project's text (without derived fields) as opened or last saved.
    std::optional<QByteArray> baseline_;
    TFileStamp stamp_;
    QString folder_;
    QString name_;
};

}  // namespace zo::configurator
