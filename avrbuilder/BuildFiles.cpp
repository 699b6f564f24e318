#include "avrbuilder/BuildFiles.h"

#include "common/FileUtils.h"
#include "platform/Paths.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace zo::avr {

namespace {

std::string native(const std::string& path) { return platform::nativePath(platform::withCurrentDir(path)); }

bool readBytes(const std::string& path, std::string& bytes) {
    if (!platform::fileExists(path)) return false;
    std::ifstream in(native(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string bytes;
    if (!readBytes(path, bytes)) return false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return WriteFileBuffer(path, bytes.data(), bytes.size()) == kFileOk;
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
    std::string bytes;
    if (!readBytes(from, bytes)) return false;
    return WriteFileBuffer(to, bytes.data(), bytes.size()) == kFileOk;
}

bool RemoveFile(const std::string& path) {
    if (::unlink(native(path).c_str()) == 0) return true;
    return errno == ENOENT;
}

bool IsNameBelowFolder(const std::string& name) {
    if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
    if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 32 || c == '"') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

bool IsPlainFileName(const std::string& name) {
    return IsNameBelowFolder(name) && name.find_first_of("\\/") == std::string::npos && name != "." && name != "..";
}

std::string PadRight(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string TrimControls(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) < 33) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) < 33) --e;
    return text.substr(b, e - b);
}

}  // namespace zo::avr
