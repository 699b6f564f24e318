#pragma once
// The one export of the dialogs library ZoDialogs: OpenDialogOfType(owner,
// type name, data). With nil data it only answers whether the type has a
// dialog (1) or not (0). Otherwise it edits the value of the type at data in
// place and answers 1 or more when the user accepted (the value was written
// back, exactly the type's size) and less than 1 when nothing was chosen.
// owner is the host's window (a QWidget*) or nil.
//
// Types with a dialog: "TColor" (4 bytes, 0x00BBGGRR), "TFont" (the font text
// form, a String255), "TFileName" (a String255 path), "TStrings" (a String255
// of lines), "TNewConfiguratorProject" (TNewProjectData).
// A String255 is 256 bytes: the text, zero-terminated, at most 255 characters.

#include "common/abi/NewProjectData.h"

#include <cstdint>

extern "C" {

typedef int32_t (*TOpenDialogOfTypeProc)(void* owner, const char* typeName, void* data);

}  // extern "C"
