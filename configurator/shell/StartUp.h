#pragma once
// The program's start-up and shut-down steps that stand apart from the main
// window: the command line ("/Setup" or a project), the setup branch that
// registers the program, the image lists from the resource library's strips,
// the captions after a project opened or failed, SIGTERM as an orderly end,
// and whether the open project differs from its file.

#include "common/ImageList.h"
#include "common/abi/LogProc.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <string>

namespace zo::configurator {

inline constexpr const char* kSetupArgument = "/Setup";
inline constexpr const char* kProgId = "Orvanta.configurator";
inline constexpr const char* kProjectExtension = ".hc";

struct TCommandLine {
    bool Setup = false;          // the first argument is exactly "/Setup"
    QString ProjectFolder;       // absolute, with its trailing "/"; empty without a project
    QString ProjectName;         // the file name without its extension
};
// Arguments without the program's own name. A relative project path is taken
// from currentDir, the folder the program was started in (before the program
// makes its own folder current).
TCommandLine ParseCommandLine(const QStringList& arguments, const QString& currentDir);

// "/Setup": the program folder into the registry value "path", the .hc
// association, its icon and its test; a failure is logged at level 3.
// Answers true when every step succeeded.
bool RunSetup(const QString& programFolder, const QString& programFile, TLogProc log);

// The four image lists of the main window, filled from the resource library's strips.
struct TProgramImageLists {
    TImageList List16{16, 16};
    TImageList List24{24, 24};
    TImageList List32{32, 32};
    TImageList List32dis{32, 32};
};
// The strips Icon16, Icon32 and Icon32dis as read, so that the window's icons
// are cut from them without reading the resource library again.
struct TIconStrips {
    QImage Icon16;
    QImage Icon32;
    QImage Icon32dis;
};
// Icon16 (cell size = the strip's height), Icon32, Icon32dis, Icon24; a
// missing strip leaves its list empty (and its strip null).
TIconStrips FillImageLists(TProgramImageLists& lists);

// The caption of an open project: "Orvanta configurator - <path shown>  (device:
// <device file name>)", the path shown being the project file, or the name
// alone for a project never saved.
QString ProjectCaption(const QString& pathShown, const QString& deviceFilePath);
inline constexpr const char* kProgramCaption = "Orvanta configurator";

// SIGTERM (and SIGINT) end the program as closing it would, through the event
// loop, so every shut-down step runs; a run ended so asks nothing.
void InstallTerminateSignals();
bool TerminatedBySignal();

}  // namespace zo::configurator
