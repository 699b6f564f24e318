#pragma once
// A small modal dialog built at run time: a text edit and a drop-down of the
// files of a folder (the new-project fallback asks so for the project's name
// and its device file). Shown through the dialog hook.

#include <string>

class QDialog;

namespace zo::configurator {

// Caption, labels, texts, folder and mask are Windows-1251. The drop-down
// lists the names (without folder) of the files of Folder matching Mask, not
// recursively; it picks listed names only, starting on the one FileText names
// (compared without case), none when it names none. OK: EditText := the edit's
// text, FileText := the picked name (empty when none is picked), answers 1.
// Otherwise answers 0 and leaves both as they were.
//
// The widgets are named "Label1", "Label2", "Edit", "FileList", "OK" and "Cancel".
int InputWithFileListDialog(const std::string& caption, const std::string& label1, const std::string& label2,
                            std::string& fileText, std::string& editText, const std::string& folder,
                            const std::string& mask);

}  // namespace zo::configurator
