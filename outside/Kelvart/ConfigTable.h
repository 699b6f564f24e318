#pragma once
// The simplified configuration file of the AVR controller and the assembler
// include that the runtime reads it from. The file holds the device header
// record, one byte with the number of nets, every element block as a length
// byte (itself included) followed by its bytes, and a zero length as the end.

#include <cstdint>
#include <string>
#include <vector>

namespace zo::kelvart {

// Size of the AVR controller's header record (device and controller names of
// 60 characters, IP address of 15, port, baud rate, bus address).
inline constexpr size_t kHeaderSize = 61 + 61 + 16 + 2 + 4 + 1;
inline constexpr size_t kAddressOffset = kHeaderSize - 1;

struct ConfigTable {
    uint8_t address = 0;
    int nets = 0;
    int blocks = 0;
    std::string table;  // the net count's successor: blocks and end marker
};

// Parses the file's bytes; false and a reason when they are not such a file.
bool ParseConfig(const std::string& bytes, ConfigTable& out, std::string& reason);

// The text of Configuration.inc: the table's constants, its label CfgTable and
// its bytes in ".db" lines of an even count (avra pads an odd line with a zero),
// after a comment naming the source (its control characters shown as '?').
std::string IncludeText(const ConfigTable& table, const std::string& sourceName);

}  // namespace zo::kelvart
