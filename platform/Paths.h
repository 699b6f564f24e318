#pragma once
// Paths as the system builds them: "\" between folders, a leading "\" meaning
// the current folder. Only nativePath() turns them into what the OS expects.

#include <string>
#include <string_view>

namespace zo::platform {

// "\" -> "/" and Windows-1251 -> UTF-8 just before an operating-system call.
std::string nativePath(std::string_view path);

// The current folder as the system spells it (native form with "/", Windows-1251,
// no trailing separator).
std::string currentDir();

// A name starting with "\" is relative to the current folder.
std::string withCurrentDir(std::string_view name);

// Existence tests on system paths (mapped through withCurrentDir and nativePath).
bool fileExists(std::string_view path);       // regular file
bool dirExists(std::string_view path);        // directory
bool pathExists(std::string_view path);       // anything

// A description or query path "file/ELEMENT/...": the file part is the shortest
// "/"-prefix that names an existing regular file; when none does, the text up to
// the first "/". The rest (without its leading "/") follows unchanged.
struct FileAndRest {
    std::string file;
    std::string rest;
};
FileAndRest splitFileAndElements(std::string_view path);

// File masks with their Windows meaning, case-insensitive: "*.*" any name,
// "*." names without an extension, '*' and '?' wildcards otherwise.
bool matchMask(std::string_view name, std::string_view mask);

// A name "has an extension" when it holds a '.' ("." and ".." included).
bool hasExtension(std::string_view name);

// The file name after the last "\" or "/".
std::string fileNameOf(std::string_view path);

}  // namespace zo::platform
