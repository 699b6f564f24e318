#pragma once
// The project file: the whole model written as one XML document, every record
// as attributes through its description in Struct.xml.

#include "common/abi/ProjectRecord.h"

#include <cstdint>
#include <string>

namespace zo {
class TArhivStruc;
class TStruct;
}  // namespace zo

namespace zo::kernel {

// Names of the record descriptions in <Struct folder>\Struct.xml (Windows-1251).
const std::string& ProjectDescriptionName();      // "Проект"
const std::string& SheetDescriptionName();        // "Схема"
const std::string& BlockDescriptionName();        // "Блок"
const std::string& LinkDescriptionName();         // "Соединение"
const std::string& StoredLinkDescriptionName();   // "Соединение_сохран"
const std::string& DisplayDescriptionName();      // "Отобр."

// <Struct folder>\Struct.xml/STRUCT/<name>, and its description from the cache.
std::string StructDescriptionPath(const std::string& name);
TStruct* StructDescription(const std::string& name);

// The check of a kernel record against its description: 0 when the
// description at path loads (through the cache) and lays out exactly size
// bytes; -1 nil cache; -2 it does not load; -3 its size differs (both logged).
int32_t CheckStructure(TArhivStruc* cache, const char* path, int32_t size);

// Checks the descriptions of the project, sheet, block and connection records
// (the stored connection record too): 0, or the code of the first failure.
int CheckProjectDescriptions();

// A path below the program folder ("<folder>\..." or "<folder>/...") made
// relative to it: a leading "\" and "\" between the folders of its file part,
// the element part after the file unchanged. Any other path comes back as it is.
std::string PathRelativeToProgram(const std::string& path, const std::string& programFolder);

// The project's own record, made from the kernel's project header and back.
TProjectRecord ProjectRecordFromState();
void ProjectRecordToState(const TProjectRecord& record);

// SaveProject with the whole document built first and written by TZo_XML:
// the same file, kept to check the streaming writer against.
int32_t SaveProjectThroughDocument(const char* path);

// The text SaveProject writes, written into path (atomically: through a
// temporary file beside it), while the project's file and name, and the
// channel base, stay as they are: a copy to compare with or to keep work in.
// A SaveProjectResult.
int32_t SaveProjectCopyTo(const char* path);

}  // namespace zo::kernel

namespace zo::kernel {

// Results of SaveProject.
enum SaveProjectResult : int32_t {
    kProjectSaved = 0,
    kSaveDescriptionCheck = -1,  // a record description failed its check
    // The project or device header description could not be loaded (or the
    // document could not be built).
    kSaveNoDescription = -2,
    kSaveNotWritten = -3,  // the file could not be written (the previous file is left as it was)
};

}  // namespace zo::kernel

extern "C" {
// A SaveProjectResult.
int32_t SaveProject(const char* path);
}
