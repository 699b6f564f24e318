#pragma once
// The layout constants of the configuration file, shared by the file's run
// (ConfigFile) and the writers of its elements (ConfigWriter).

#include <cstdint>

namespace zo::kernel {

// Element kinds of the full layout.
enum ConfigElementKind : uint8_t {
    kCfgBlock = 1,
    kCfgOut = 3,
    kCfgIn = 4,
    kCfgConnections = 5,
    kCfgNetOut = 7,
    kCfgNetIn = 8,
};

inline constexpr int kCfgHeadSize = 6;
// The connections element holds nets + 1 in a signed 16-bit value.
inline constexpr int kMaxFullNets = 32766;
// The simplified layout holds the net count in one byte (255 marks an unbound pin).
inline constexpr int kMaxSimplifiedNets = 254;

}  // namespace zo::kernel
