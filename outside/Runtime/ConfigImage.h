#pragma once
// The configuration file as the runtime program reads it (full layout): the
// device header record, then elements of a 6-byte head (length, kind, value,
// size). The layout is checked element by element before anything runs.

#include <cstdint>
#include <string>
#include <vector>

namespace zo::runtime {

// Where the controller's address lies in the device header record.
struct HeaderLayout {
    size_t size;         // bytes of the whole header record
    size_t ipOffset;     // the IP address as zero-terminated text
    size_t ipSize;
    size_t portOffset;   // the port, unsigned 16-bit
};

struct ConfigImage {
    std::string address;  // IPv4 address from the header
    uint16_t port = 0;
    uint32_t nets = 0;    // nets the configuration holds
    uint32_t blocks = 0;  // FBD block elements
    uint32_t channels = 0;
};

// Checks bytes against the full layout; on failure answers false and says why.
bool ParseConfig(const std::string& bytes, const HeaderLayout& header, ConfigImage& image, std::string& error);

}  // namespace zo::runtime
