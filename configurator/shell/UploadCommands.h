#pragma once
// The commands around the configuration file and the upload folder, and the
// three editing modes: the configuration file written to a chosen file, the
// upload folder shown in the file manager, the built project run from the
// upload folder and stopped again. Each does nothing while the kernel is unbound.

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>

class QWidget;

namespace zo::configurator {

enum class KernelMode : int;

class IHostServices;
class TActions;
class TBuildCommand;
class TProjectSession;

// The configuration log window's place in a client area of this size:
// 0.6 of it rounded (width 250..1000, height 200..700), centred.
QRect ConfigLogWindowRect(QSize client);

// Ends every process whose program file lies directly in uploadFolder (native
// path, compared exactly), never this process: SIGTERM, and SIGKILL for those
// still running after the grace period. Each one ended is logged
// "Остановлено : " + its program file. Answers the number ended.
int StopUploadPrograms(const QString& uploadFolder,
                       std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

// The program and arguments the start script names: "start" (optional), the
// program (a plain file name in the upload folder; "<name>.exe" is the file
// <name> when only that exists) and its arguments, the line split as a
// command line (common/CommandLine: a quoted word keeps its blanks). Empty
// program when the script names none or a path.
struct TStartCommand {
    QString program;  // full native path
    QStringList arguments;
};
TStartCommand ReadStartScript(const QString& uploadFolder);

// Shell-style results of a start: above 32 means started.
inline constexpr int kStartNoProgram = 2;  // no script, or it names no program of the upload folder
inline constexpr int kStartEnded = 30;     // the program ended within the start window
inline constexpr int kStartFailed = 31;    // the program could not be started
inline constexpr int kStarted = 42;

// What came of a start.
struct TStartOutcome {
    int result = kStartNoProgram;
    pid_t pid = 0;         // the process started (0 when none was)
    QString program;       // its file name
    int exitCode = 0;      // kStartEnded: the exit code, or the signal that ended it
    bool signalled = false;
    QStringList output;    // kStartEnded: its first lines of output
};

// Starts the start script's program without a shell, in its own session, with
// the upload folder as its working folder and its output into a file of its
// own, and watches it for the start window: a program that ends within it was
// not started (kStartEnded, its exit code and first output lines).
TStartOutcome StartUploadProgram(const QString& uploadFolder,
                                 std::chrono::milliseconds window = std::chrono::milliseconds(300));

class TUploadCommands : public QObject {
    Q_OBJECT
public:
    // The run command builds through build before it starts; dialogs are owned by window.
    TUploadCommands(TProjectSession& session, TActions& actions, IHostServices& host, TBuildCommand& build,
                    QWidget& window);

    // Another build before a run (tests); false when it failed.
    void SetBuild(std::function<bool()> build) { build_ = std::move(build); }
    // Grace period of the stop before SIGKILL.
    void SetGrace(std::chrono::milliseconds grace) { grace_ = grace; }
    // How long a started program is watched before it counts as started.
    void SetStartWindow(std::chrono::milliseconds window) { startWindow_ = window; }

    void ProjectCreateCFGExecute();
    void ProjectOpenUploadExecute();
    void ProjectRunUploadExecute();
    void ProjectStopUploadExecute();
    void ReginSelectExecute();
    void RegimSoedenExecute();
    void RegimDebugExecute();

    // The last started program (0 when none).
    pid_t StartedPid() const { return started_; }

private:
    QString ProgramFolder() const;
    void SetMode(KernelMode mode);
    // Reaps the started program once it has ended.
    void ReapStarted();

    TProjectSession& session_;
    IHostServices& host_;
    QWidget& window_;
    std::function<bool()> build_;
    std::chrono::milliseconds grace_{2000};
    std::chrono::milliseconds startWindow_{300};
    pid_t started_ = 0;
    QTimer reaper_;
};

}  // namespace zo::configurator
