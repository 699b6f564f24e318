#include "kernel/LibraryFiles.h"

#include "kernel/KernelState.h"

#include <cstring>
#include <vector>

using namespace zo::kernel;

extern "C" int32_t ClearLibraryFiles() {
    State().libraryFiles.Clear();
    return kLibraryFilesDone;
}

extern "C" int32_t LibraryFileCount() { return State().libraryFiles.Count; }

extern "C" const char* GetLibraryFile(int32_t index) {
    const zo::TMenObj& files = State().libraryFiles;
    // Compared before narrowing: 65536 must not name entry 0.
    if (index < 0 || index >= int32_t(files.Count)) return nullptr;
    return static_cast<const char*>(files.GetItem(uint16_t(index)));
}

extern "C" int32_t AddLibraryFile(const char* path) {
    if (!path) return kLibraryFileNilPath;
    zo::TMenObj& files = State().libraryFiles;
    std::vector<char> item(files.ItemSize, '\0');
    if (item.empty()) return kLibraryFileNotAdded;
    std::strncpy(item.data(), path, item.size() - 1);
    return files.AddItem(item.data()) == 1 ? kLibraryFilesDone : kLibraryFileNotAdded;
}
