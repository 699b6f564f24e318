#pragma once
// The program's binding of the dialogs library ZoDialogs. The library is bound
// only around one dialog: each caller binds it, calls CallOpenDialogOfType and
// unbinds it at once (ScopedDialogsLibrary does the three in order).

#include "common/abi/DialogsLibrary.h"
#include "common/abi/LogProc.h"

#include <string>

namespace zo::configurator {

// The answer of CallOpenDialogOfType while the library is not bound.
inline constexpr int32_t kDialogsNotBound = -1000;

// Binds <current folder><subfolder>\ZoDialogs.so, else the same below the
// registry path, else <registry path>\System\ZoDialogs.so; keeps the address of
// OpenDialogOfType. Every failure is logged through log.
void LoadDialogsLibrary(const std::string& subfolder, TLogProc log);
// Unloads the library (no line is logged); nothing when unbound.
void UnloadDialogsLibrary(TLogProc log);
bool DialogsLibraryBound();

// OpenDialogOfType(owner, type, data) of the bound library, after which the
// application handles its pending events; -1000 while unbound. 1 or more: the
// user accepted and the data was written back.
int32_t CallOpenDialogOfType(void* owner, const std::string& typeName, void* data);

// Binds the library for one scope and unbinds it when the scope ends.
class ScopedDialogsLibrary {
public:
    ScopedDialogsLibrary(const std::string& subfolder, TLogProc log) : log_(log) { LoadDialogsLibrary(subfolder, log); }
    ~ScopedDialogsLibrary() { UnloadDialogsLibrary(log_); }
    ScopedDialogsLibrary(const ScopedDialogsLibrary&) = delete;
    ScopedDialogsLibrary& operator=(const ScopedDialogsLibrary&) = delete;

private:
    TLogProc log_;
};

}  // namespace zo::configurator
