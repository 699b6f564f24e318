#pragma once
// The interrupt vector table of an AVR firmware, derived from the vector block
// of the device definition include (".equ NAME = address ; text" lines after
// the "INTERRUPT VECTORS" comment): every vector gets "reti", or "rjmp" to the
// handler label "i" + NAME when an include file of the upload folder starts a
// line with that label. Each vector line is preceded by an ".org" line with the
// vector's own address, so a handler lands on its vector whatever the distance
// between two vectors.

#include <string>
#include <vector>

namespace zo::avr {

// Fills Lines (emptied first): 0 when built, -1 when DeviceInclude does not
// exist (Lines then holds the header line alone). Logs nothing.
int WriteInterruptVectors(const std::string& uploadFolder, const std::string& deviceInclude,
                          std::vector<std::string>& lines);

}  // namespace zo::avr
