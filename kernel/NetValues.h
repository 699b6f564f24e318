#pragma once
// The net value list: one entry per net of the project (index = the net number
// that connection indexing gives), its text and its tag (TNetValue in
// KernelState.h). Filled when debugging starts, refreshed from the debugging
// library when it has asked for a repaint, emptied when debugging stops.
// Only the GUI thread touches the list; the debugging library's values are
// read under the kernel lock.

#include <cstdint>
#include <string>

namespace zo::kernel {

// The tag's parts.
inline constexpr uint32_t kNetNoLineType = 65535;
uint16_t NetTagLineType(uint32_t tag);
uint8_t NetTagError(uint32_t tag);
uint8_t NetTagStatus(uint32_t tag);

void ClearNetValues();
// n entries "нет" with the tag 65535, then every connection of every sheet
// gives its line type to the entry of its net (-1 gives 65535); a connection
// whose net lies outside the list is passed over.
void FillNetValues(int nets);

int NetValueCount();
// The entry's text and tag; false for an index outside the list.
bool GetNetValue(int index, std::string& text, uint32_t& tag);

// Reads every entry from the debugging library: "?" for an entry whose line
// type is unknown or whose data type is not 1 to 4 bytes long, "err" when the
// library reports an error, else the value as text ("?" when it does not
// convert); the tag keeps its line type and takes the two status bytes.
// False (nothing read) when the debugging library is not bound or the host's
// conversion record is not known.
bool RefreshNetValues();

}  // namespace zo::kernel
