#pragma once
// Shared by the fuzz targets: a scratch folder of this process, a quiet UI
// hook, a program folder holding the shipped files and the built stand-ins,
// and the kernel started in it the way the program starts it.
//
// Every input is handled with bounded work: files go to the scratch folder
// (in memory under /dev/shm when it exists), descriptions read from files an
// input rewrites are dropped from the cache after each input, and the model
// is closed again.

#include "common/abi/ConvertOptions.h"
#include "common/abi/Stream.h"
#include "platform/UiServices.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zo {
class TStruct;
}

namespace zo::fuzz {

// The folder of this process, made on first use and removed at exit.
const std::string& Scratch();

void WriteFile(const std::string& path, const uint8_t* data, size_t size);
void WriteFile(const std::string& path, const std::string& bytes);
// A file the code under test only reads, rewritten for each input: left as it
// is when it still holds these bytes from the last call (same inode, size and
// times), which saves most writes of inputs that hold several files.
void WriteInputFile(const std::string& path, const uint8_t* data, size_t size);
void WriteInputFile(const std::string& path, const std::string& bytes);
// The whole file; empty when it is not there.
std::string ReadFile(const std::string& path);
bool FileThere(const std::string& path);
void RemoveFile(const std::string& path);

// Progress notes for a person looking at one input (ZO_FUZZ_VERBOSE=1).
void Note(const std::string& text);

// A fuzz finding that no sanitizer reports: prints what broke and aborts.
[[noreturn]] void Fail(const char* what, const std::string& detail = {});
#define ZO_FUZZ_CHECK(condition, detail) \
    do {                                 \
        if (!(condition)) ::zo::fuzz::Fail(#condition, detail); \
    } while (0)

// Answers every question with `answer` and shows nothing.
class QuietUi final : public platform::UiServices {
public:
    void showMessage(const std::string&, const std::string&, platform::MessageKind) override { ++messages; }
    platform::Answer ask(const std::string&, const std::string&, platform::Buttons) override {
        ++questions;
        return answer;
    }
    platform::Answer answer = platform::Answer::Ignore;
    int messages = 0;
    int questions = 0;
};
// The one hook of the process, installed on first use.
QuietUi& Ui();

// A Qt application on the offscreen platform (fonts for block pictures).
void StartGui();

// ZoConvert's record, from the built program folder.
const TConvertOptions* Convert();

// UTF-8 source text as Windows-1251.
std::string Cp(const std::string& utf8);

// True when a Windows-1251 text comes back unchanged from the text a widget
// shows for it (menus and trees keep the text they show).
bool ShownAlike(const std::string& cp1251);

// The program folder below Scratch(): the program file, the six folders,
// Struct/ copied from the build with the fixture files added, System/ linked
// to the built libraries. Native path.
const std::string& ProgramFolder();
// A file below the program folder (native form, "/" between folders).
std::string ProgramFile(const std::string& relative);

// The kernel started in the program folder as the program starts it: state,
// record, KernelInit (folders, graphic and routing libraries, line types);
// the current folder is the program folder and the log is discarded.
void StartKernel();
// Back to the folder the fuzzer started in (opening a project enters the
// program folder; the fuzzer names its inputs and corpus relative to its own).
void RestoreFolder();

// Drops every cached description that was not read from a fixed file of the
// program folder (Struct.xml, Base.xml, the fixture library), so that a file
// the next input rewrites is read afresh.
void ForgetVolatileDescriptions();

// The fixture files written into the program folder (Windows-1251 text).
// Struct\Fbd.xml: an element library with FBD blocks that have code, pins and
// a code library; Device\Test.dev: a device description.
std::string FixtureLibraryPath(const std::string& blockUtf8);  // "\Struct\Fbd.xml/FBD/..."
extern const char* const kFixtureDeviceUtf8;

// A project of the device Test.dev: two sheets with FBD blocks of Fbd.xml,
// network channel blocks of Base.xml and connections (Windows-1251 text).
std::string FixtureProject(const std::string& deviceFile = "Test.dev", int configFileType = 1);

// The texts of a record's fields, in item order.
std::vector<std::string> RecordTexts(const TStruct& description, const void* record);
// A field is stored as the attribute of its name: false when its name is not
// an attribute name or another field shares it, so it cannot come back.
bool Storable(const TStruct& description, int index);
// What a record stored field by field reads back as: an empty text is an
// empty attribute, which means the default.
std::vector<std::string> StoredTexts(const TStruct& description, const void* record);
// The fields that differ between what was stored and what was read back
// (fields that cannot be stored are not compared); empty when none.
std::string CompareStored(const TStruct& description, const std::vector<std::string>& stored,
                          const void* readBack);

// A byte stream in memory behind the stream table of the library boundary.
class MemoryStream {
public:
    MemoryStream();
    TZoStream* Stream() { return &table_; }
    const std::string& Bytes() const { return bytes_; }

private:
    static int32_t write(TZoStream* stream, const void* data, int32_t size);
    TZoStream table_;
    std::string bytes_;
};

// Element names, BLOCK/GROUP NAME values and attribute names of a document,
// in document order (Windows-1251), read with the XML wrapper; bounded.
struct DocumentNames {
    bool opened = false;
    std::string root;
    std::vector<std::string> elements;
    std::vector<std::string> blockPaths;  // TOP/GROUP.../BLOCK of every BLOCK
    std::vector<std::string> elementPaths;  // ROOT/child/... of every element
};
DocumentNames ReadNames(const std::string& file, size_t limit = 64);

}  // namespace zo::fuzz
