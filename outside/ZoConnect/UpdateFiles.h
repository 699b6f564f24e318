#pragma once
// The files of the connection library in the update folder (putting a
// downloaded update in place: UpdateApply.h).
//
// <update folder>/update.xml       the list of updates (root UPDATE, one child per entry)
// <update folder>/<entry>/         the staged files of a downloaded entry
// <update folder>/<entry>/.manifest  written last: "version\t<v>", then "file\t<mode>\t<name>" lines
// <update folder>/<entry>.version  the version of the entry last applied
//
// Names are native paths (UTF-8, '/').

#include "common/FileReplacement.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zo::connect {

// A file name an update entry may give: relative, '/' or '\' between parts, no
// empty part, no "." or "..", at most 250 characters. Answers it with '/'.
bool ValidEntryPath(const std::string& name, std::string* normalized);
// An entry's name usable as a file and folder name: letters, digits, '_', '-', '.', not "." or "..".
bool ValidEntryName(const std::string& name);

struct UpdateEntry {
    std::string name;      // node name
    std::string caption;   // IM (UTF-8)
    std::string version;   // VERSION
    std::string info;      // INFO (UTF-8)
    struct File {
        std::string name;  // as given
        bool executable = false;
    };
    std::vector<File> files;
};

// Parses an update list (bytes of the file); false when it is not a document
// with exactly one root UPDATE. An entry document declaring entities is refused.
bool ParseUpdateList(const std::string& bytes, std::vector<UpdateEntry>* entries);

struct StagedFile {
    std::string name;  // normalized
    int mode = 0644;
};
struct Manifest {
    std::string version;
    std::vector<StagedFile> files;
};
bool ReadManifest(const std::string& stagingFolder, Manifest* manifest);
bool WriteManifest(const std::string& stagingFolder, const Manifest& manifest);

std::string ReadInstalledVersion(const std::string& updateFolder, const std::string& entry);
bool WriteInstalledVersion(const std::string& updateFolder, const std::string& entry, const std::string& version);

// Writes bytes as the file relative below folder (parent folders made; a
// symbolic link on the way refused).
bool WriteBelow(const std::string& folder, const std::string& relative, const std::string& bytes, int mode);

// The replacement of folder/relative, opened (parent folders made; a
// symbolic link on the way refused); nil when it cannot be made.
std::unique_ptr<FileReplacement> OpenBelow(const std::string& folder, const std::string& relative, int mode);

}  // namespace zo::connect
