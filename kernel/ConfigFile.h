#pragma once
// The controller's configuration file: the device header record, then the
// connections element, the channels and the FBD blocks in execution order
// (full layout, type 1), or the header, the net count, the blocks' fields
// byte by byte and an end marker (simplified layout, type 2).

#include "common/abi/StringList.h"
#include "kernel/ConfigFormat.h"

#include <cstdint>

namespace zo::kernel {

// Results of CreateConfigFile.
enum ConfigFileResult : int32_t {
    kConfigWritten = 0,
    kConfigRefused = -1,            // indexing failed, a description check failed, the header
                                    // description does not load, or more nets than the layout holds
    kConfigNotCreated = -2,         // the file could not be created with the header
    kConfigCountNotWritten = -3,    // the connection count or the end marker
    kConfigChannelNotWritten = -4,  // a channel element
    kConfigNotOrdered = -5,         // the blocks could not be ordered
    kConfigPinFieldMissing = -7,    // a network channel lacks its pin field or "ID"
    kConfigBlockNotWritten = -8,    // an FBD block element
};

}  // namespace zo::kernel

extern "C" {
// A ConfigFileResult. A failed run leaves no partial file: a file at CfgPath
// from an earlier run stays as it was.
int32_t CreateConfigFile(const char* cfgPath, const char* logName, TZoStringList* list);
}
