#pragma once
// Whether the open project differs from its file, asked of the kernel by a
// save that leaves the user's files as they were.

#include <QByteArray>
#include <QString>

struct TKernelOptions;

namespace zo::configurator {

// Saves the open project over its own file, compares, and puts the file (and
// the channel base the save updates) back byte for byte: true when the project
// differs from its file (or the file cannot be read). A save anywhere else
// would make the kernel take that file as the project's from then on.
// Questions the kernel asks during that save are answered No, its log lines
// are dropped. The placement of the scheme windows (open, edges, scale,
// scroll) is not compared: it follows the windows, not the user's work.
bool ProjectDiffersFromFile(TKernelOptions* record, const QString& projectFile);
// A project file's text without the window placement of its sheets.
QByteArray WithoutWindowPlacement(const QByteArray& projectText);

}  // namespace zo::configurator
