#pragma once
// The registry routines of the program over the registry layer, and the
// association of the project file type with the program. The association is
// the desktop's (freedesktop.org), under $XDG_DATA_HOME (~/.local/share when
// unset): a shared-mime-info type for the extension in mime/packages/<ProgID>.xml
// and an application entry applications/<ProgID>.desktop whose Exec line holds
// the program path quoted and %f; the default application of the type is named
// in applications/mimeapps.list. Descriptions, extensions and identifiers are
// Windows-1251; paths and Exec lines are native (UTF-8).

#include "platform/Registry.h"

#include <string>

class QImage;

namespace zo::configurator {

// One string value; false when it cannot be written.
bool WriteRegistryString(platform::RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                         const std::string& text);
// Text := the value, empty when the key or value is missing; never creates a key.
void ReadRegistryString(platform::RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                        std::string& text);

// The desktop's data folder ($XDG_DATA_HOME or ~/.local/share), native form.
std::string DesktopDataHome();
// The MIME type of a program identifier: "Orvanta.configurator" ->
// "application/x-orvanta-configurator".
std::string MimeTypeOf(const std::string& progId);
// An Exec line of a desktop entry: the program quoted (blanks, quotes, "$",
// "`", "\" and "%" kept as they are), then the arguments as given.
std::string DesktopExecLine(const std::string& programPath, const std::string& arguments);
// The program of an Exec line, its quoting undone; empty when it has none.
std::string DesktopExecProgram(const std::string& execLine);

// Writes the type and the application entry of Command (an Exec line) for
// Extension (".hc"); false when a file cannot be written.
bool RegisterFileType(const std::string& extension, const std::string& progId, const std::string& description,
                      const std::string& command, const std::string& verb);
// RegisterFileType with the command "<program quoted> <Parameter>" where an
// empty Parameter means the file given ("%f"). ProgramPath: the program's own
// file unless another is given.
bool AssociateFileType(const std::string& extension, const std::string& progId, const std::string& description,
                       const std::string& parameter, const std::string& verb, const std::string& programPath = {});
// The icon of the type and of its application entry: a square picture saved in
// the hicolor icon theme under the type's icon name
// (icons/hicolor/<size>x<size>/mimetypes/application-x-...png), which the entry's
// Icon key names; false when it cannot be written.
bool SetFileTypeIcon(const std::string& progId, const QImage& icon);
// 1 when the type of Extension belongs to ProgID and its application entry
// starts exactly this program (whole paths compared); then the desktop's
// caches are refreshed. 0 otherwise.
int IsFileTypeAssociated(const std::string& extension, const std::string& progId,
                         const std::string& programPath = {});
// Removes the type, its icon, the application entry and the default; 1 done (also when
// nothing was there), 0 when a file stays.
int UnregisterFileType(const std::string& extension, const std::string& progId);

// The program's own file, native form.
std::string ProgramFilePath();

}  // namespace zo::configurator
