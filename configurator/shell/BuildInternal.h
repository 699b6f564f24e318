#pragma once
// The program's own assembler build for devices whose description gives
// ConfigFileType "2" and names no builder library: the same assembler project
// in the upload folder as the AVR builder plug-in forms (one implementation,
// avrbuilder/AvrProjectBuild), from the build's inputs and the session instead
// of a TBuildParams record, and without an interrupt vectors file.

#include "common/abi/LogProc.h"

#include <cstdint>

namespace zo::configurator {

class TProjectSession;
struct TBuildInputs;

// -1 when the kernel is not bound (nothing else happens), otherwise the codes
// of the plug-in's Build (0, -2 to -8). The session answers the configuration
// file and the device program (asked again at each use); the console runner
// and the XML path queries log through log.
int32_t BuildInternal(const TProjectSession& session, const TBuildInputs& inputs, TLogProc log);

}  // namespace zo::configurator
