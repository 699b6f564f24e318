#pragma once
// What one run of CreateConfigFile writes with: the file (written into a
// fresh temporary file beside it and put in place only when the whole run
// succeeded), the
// byte total, the log ("CfgLog": the kernel's log callback with the run's log
// name) and the list of code libraries of the blocks written.

#include "common/FileReplacement.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/SheetRecord.h"
#include "common/abi/StringList.h"

#include <cstdint>
#include <set>
#include <string>

namespace zo {
class TStruct;
}

namespace zo::kernel {

class ConfigWriter {
public:
    ConfigWriter(std::string cfgPath, std::string logName, TZoStringList* list, uint8_t fileType);
    // Without Commit the temporary file is removed; a file at CfgPath from an
    // earlier run stays as it was.
    ~ConfigWriter();
    ConfigWriter(const ConfigWriter&) = delete;
    ConfigWriter& operator=(const ConfigWriter&) = delete;

    void Log(const std::string& text, uint8_t level) const;

    // Starts the file afresh with bytes (the header); false when it cannot be created.
    bool Create(const std::string& bytes);
    bool Append(const std::string& bytes);
    // Puts the file in place; false when that fails.
    bool Commit();
    int64_t Total() const { return total_; }
    uint8_t FileType() const { return fileType_; }
    const std::string& Path() const { return cfgPath_; }

    // The block's "Library" display text joins the sorted, distinct list.
    void AddLibrary(const TBlockRecord& block);

    // A block as an element: head and data record (full layout) or its fields
    // byte by byte (simplified layout); false when it cannot be laid out or written.
    bool WriteBlock(const TSheetRecord& sheet, const TBlockRecord& block, int& length);

private:
    void publishLibraries();

    std::string cfgPath_;
    FileReplacement file_;
    std::string logName_;
    TZoStringList* list_;
    uint8_t fileType_;
    int64_t total_ = 0;
    std::set<std::string> libraries_;
};

// A 6-byte element head of the full layout.
std::string ConfigHead(int length, uint8_t kind, int value, int size);

// The description and data of a block, and its description's name.
const TStruct* BlockDescription(const TBlockRecord& block);
const void* BlockData(const TBlockRecord& block);
std::string BlockTypeName(const TBlockRecord& block);
// The name of a block or sheet record (zero-terminated within its field).
std::string RecordName(const char* field, size_t size);

// Quoted names for log lines: Q + block + Q + " схемы " + Q + sheet + Q.
std::string BlockOnSheet(const TSheetRecord& sheet, const TBlockRecord& block);

// Execution order of the FBD blocks (writes them): kConfigWritten;
// kConfigNotOrdered when not every block could be ordered;
// kConfigBlockNotWritten when a block could not be written (ConfigFileResult).
int WriteBlocksInOrder(ConfigWriter& writer, int nets);

// Binds every pin of the kind ("IN" or "OUT") whose value is "65535" to net;
// answers how many were bound.
int GroupUnboundPins(const char* kind, int net);

}  // namespace zo::kernel
