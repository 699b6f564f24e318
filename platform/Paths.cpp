#include "platform/Paths.h"

#include "platform/Cp1251.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace zo::platform {

// The system's paths are Windows-1251 text; the file system's names are UTF-8.
std::string nativePath(std::string_view path) {
    std::string out = cp1251ToUtf8(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string currentDir() {
    std::vector<char> buf(4096);
    while (getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    // A folder whose name Windows-1251 cannot hold comes in with "?" in its
    // place, so every file below it is refused as not there.
    return utf8ToCp1251(buf.data());
}

std::string withCurrentDir(std::string_view name) {
    if (!name.empty() && name.front() == '\\') return currentDir() + std::string(name);
    return std::string(name);
}

namespace {
bool statPath(std::string_view path, struct stat& st) {
    if (path.empty()) return false;
    const std::string native = nativePath(withCurrentDir(path));
    return ::stat(native.c_str(), &st) == 0;
}
}  // namespace

bool fileExists(std::string_view path) {
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

bool dirExists(std::string_view path) {
    struct stat st {};
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool pathExists(std::string_view path) {
    struct stat st {};
    return statPath(path, st);
}

FileAndRest splitFileAndElements(std::string_view path) {
    for (size_t pos = path.find('/'); pos != std::string_view::npos; pos = path.find('/', pos + 1)) {
        if (pos == 0) continue;
        if (fileExists(path.substr(0, pos))) return {std::string(path.substr(0, pos)), std::string(path.substr(pos + 1))};
    }
    if (fileExists(path)) return {std::string(path), {}};
    const size_t first = path.find('/');
    if (first == std::string_view::npos) return {std::string(path), {}};
    return {std::string(path.substr(0, first)), std::string(path.substr(first + 1))};
}

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool globMatch(std::string_view name, std::string_view mask) {
    size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lowerAscii(mask[m]) == lowerAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}
}  // namespace

bool hasExtension(std::string_view name) { return name.find('.') != std::string_view::npos; }

bool matchMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*" || mask == "*") return true;
    if (mask.size() > 1 && mask.back() == '.') {
        return !hasExtension(name) && globMatch(name, mask.substr(0, mask.size() - 1));
    }
    return globMatch(name, mask);
}

std::string fileNameOf(std::string_view path) {
    const size_t pos = path.find_last_of("\\/");
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

}  // namespace zo::platform
