#pragma once
// Connection indexing: numbers the nets of every sheet, groups segments into
// chains, binds each block pin to its net and spreads the pins' line types.

#include <cstdint>

struct TSheetRecord;

namespace zo::kernel {

// A pin bound to no net holds this value.
inline constexpr uint16_t kUnboundPin = 65535;
// Net numbers run from 0 to kMaxNets - 1 across the project: 65535 means
// "unbound" in a pin and -1 "unassigned" in a connection, and the
// configuration file needs one more number for grouped pins.
inline constexpr int kMaxNets = 65534;

// The number of nets of the whole project; -1 when a sheet fails (logged).
int IndexConnections();
// How many blocks the last IndexConnections bound to their nets: inside the
// pointer and paint slots, after another indexing there, only the blocks
// noted since in the block edits' journal on sheets whose connections stayed.
uint32_t LastBoundBlocks();
// Numbers the nets of one sheet from next on; the next free number, or -1
// (nil sheet or list, or the nets would run past kMaxNets, logged).
int IndexSheetConnections(TSheetRecord* sheet, int next);

}  // namespace zo::kernel
