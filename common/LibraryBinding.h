#pragma once
// Binding of a library of the product: find <Name>.so, load it, resolve its one
// export GetInfo, check the size of the record it reports, keep the record and
// the handle, and report every step through a log procedure. One class serves
// the program's bindings (the kernel, the logging, conversion, dialogs and
// connection libraries) and the kernel's bindings of its outside libraries;
// they differ only in the settings below. A binding given no log procedure is
// silent.

#include "common/abi/LogProc.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zo {

struct LibraryBindingSpec {
    std::string fileName;      // "ZoKernelConfig.so"
    std::string recordName;    // "TKernelOptions", named in the size-mismatch line
    int32_t recordSize = 0;    // the size of the record as this platform lays it out
    // true: the library is looked for as <current folder><subfolder>\<file>, then
    // below the registry value "path"; false: as <folder><file> only.
    bool searchWithRegistry = true;
    bool writeHostObjects = true;     // the host objects go into the record at 40 and 44
    std::string successGap = " ";     // between the closing quote and the description
    std::string successName;          // the name in the success line; empty: the full path
    std::string unloadLine;           // Windows-1251 text logged at unload; empty: none
    // The export resolved; with hasRecord false it is only kept (Export()),
    // no record is asked for and nothing is written or called.
    std::string exportName = "GetInfo";
    bool hasRecord = true;
    // A last candidate below the registry path (registry path + this + "\" + file)
    // when the two usual ones are missing; empty: none.
    std::string lastRegistrySubfolder;
    bool logRegistryPath = true;      // the "taken from the registry" line
    // Called with the record after the host objects are written, before the
    // initialization slot (a record field of the library's own, e.g. its log).
    std::function<void(void* record)> prepareRecord;
    // The record's initialization slot (at 48 of the 32-bit layout) is called
    // after binding and its finalization slot (52) before unloading.
    bool callLifeSlots = false;
};

class TLibraryBinding {
public:
    explicit TLibraryBinding(LibraryBindingSpec spec);
    ~TLibraryBinding();
    TLibraryBinding(const TLibraryBinding&) = delete;
    TLibraryBinding& operator=(const TLibraryBinding&) = delete;

    // folder: a subfolder such as "\System" (registry search) or a folder
    // prefix such as "System\" (plain). A failed binding always ends unbound.
    bool Load(const std::string& folder, TLogProc log, void* application = nullptr, void* screen = nullptr);
    // Unloads the library (nothing when unbound); logs the unload line when a log is given.
    void Unload(TLogProc log);

    void* Record() const { return record_; }
    void* Export() const { return export_; }
    void* Handle() const { return handle_; }
    bool Bound() const { return handle_ != nullptr; }
    const std::string& Path() const { return path_; }

private:
    std::string locate(const std::string& folder, TLogProc log) const;
    void fail(TLogProc log, const std::string& text);

    LibraryBindingSpec spec_;
    void* record_ = nullptr;
    void* export_ = nullptr;
    void* handle_ = nullptr;
    std::string path_;
};

// "\system", "system\" and the like name the one folder "System" of the program folder.
std::string NormaliseSystemFolder(const std::string& folder);

}  // namespace zo
