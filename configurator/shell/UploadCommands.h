#pragma once
// The commands around the configuration file and the upload folder, and the
// three editing modes: the configuration file written to a chosen file, the
// upload folder shown in the file manager, the built project run from the
// upload folder and stopped again. Each does nothing while the kernel is unbound.

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

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
// <name> when only that exists) and its arguments. Empty program when the
// script names none or a path.
struct TStartCommand {
    QString program;  // full native path
    QStringList arguments;
};
TStartCommand ReadStartScript(const QString& uploadFolder);

// Starts the start script's program detached in the upload folder, without a
// shell; the shell-style result (above 32 started, 2 no script or program,
// 31 the start failed) and the started process's id.
int StartUploadProgram(const QString& uploadFolder, pid_t* pid = nullptr);

class TUploadCommands : public QObject {
    Q_OBJECT
public:
    // The run command builds through build before it starts; dialogs are owned by window.
    TUploadCommands(TProjectSession& session, TActions& actions, IHostServices& host, TBuildCommand& build,
                    QWidget& window);

    // Another build before a run (tests); false when it failed.
    void setBuild(std::function<bool()> build) { build_ = std::move(build); }
    // Grace period of the stop before SIGKILL.
    void setGrace(std::chrono::milliseconds grace) { grace_ = grace; }

    void ProjectCreateCFGExecute();
    void ProjectOpenUploadExecute();
    void ProjectRunUploadExecute();
    void ProjectStopUploadExecute();
    void ReginSelectExecute();
    void RegimSoedenExecute();
    void RegimDebugExecute();

    // The last started program (0 when none).
    pid_t startedPid() const { return started_; }

private:
    QString programFolder() const;
    void setMode(KernelMode mode);

    TProjectSession& session_;
    IHostServices& host_;
    QWidget& window_;
    std::function<bool()> build_;
    std::chrono::milliseconds grace_{2000};
    pid_t started_ = 0;
};

}  // namespace zo::configurator
