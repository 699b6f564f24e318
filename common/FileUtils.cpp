#include "common/FileUtils.h"

#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <strings.h>

namespace zo {

namespace {

int writeAll(int fd, const void* buffer, size_t count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(fd, p, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            return kFileWriteFailed;
        }
        p += n;
        count -= size_t(n);
    }
    return kFileOk;
}

int writeWithFlags(const std::string& fileName, const void* buffer, size_t count, int flags) {
    if (count > 0 && !buffer) return kFileWriteFailed;
    const std::string native = platform::nativePath(platform::withCurrentDir(fileName));
    const int fd = ::open(native.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return kFileOpenFailed;
    int rc = writeAll(fd, buffer, count);
    if (::close(fd) != 0 && rc == kFileOk) rc = kFileWriteFailed;
    return rc;
}

// Entry names of a folder in a stable order (case-insensitive by name).
std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    const std::string native = platform::nativePath(folder.empty() ? std::string(".") : folder);
    DIR* dir = ::opendir(native.c_str());
    if (!dir) return names;
    // Names come in as the system's Windows-1251 text.
    while (const dirent* e = ::readdir(dir)) names.push_back(platform::utf8ToCp1251(e->d_name));
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
    return names;
}

}  // namespace

int WriteFileBuffer(const std::string& fileName, const void* buffer, size_t count) {
    return writeWithFlags(fileName, buffer, count, O_TRUNC);
}

int AppendFileBuffer(const std::string& fileName, const void* buffer, size_t count) {
    return writeWithFlags(fileName, buffer, count, O_APPEND);
}

void FindFiles(const std::string& folderIn, const std::string& mask, std::vector<std::string>& list, bool recurse) {
    std::string folder = folderIn;
    if (!folder.empty() && folder.front() == '\\') folder.erase(0, 1);
    if (!folder.empty() && folder.back() != '\\') folder.push_back('\\');
    const std::vector<std::string> names = listFolder(folder);
    if (recurse) {
        for (const std::string& name : names) {
            if (!platform::hasExtension(name)) FindFiles(folder + name + "\\", mask, list, true);
        }
    }
    for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        if (platform::hasExtension(name) && platform::matchMask(name, mask)) list.push_back(folder + name);
    }
}

}  // namespace zo
