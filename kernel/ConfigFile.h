#pragma once
// The controller's configuration file: the device header record, then the
// connections element, the channels and the FBD blocks in execution order
// (full layout, type 1), or the header, the net count, the blocks' fields
// byte by byte and an end marker (simplified layout, type 2).

#include "common/abi/StringList.h"
#include "kernel/ConfigFormat.h"

#include <cstdint>

extern "C" {
// 0 written; -1 indexing failed, a description check failed, the header
// description does not load, or there are more nets than the layout holds;
// -2 the file could not be created with the header; -3 the connection count or
// the end marker could not be written; -4 a channel element could not be
// written; -5 the blocks could not be ordered; -7 a network channel lacks its
// pin field or "ID"; -8 an FBD block element could not be written. A failed
// run leaves no partial file: a file at CfgPath from an earlier run stays as it was.
int32_t CreateConfigFile(const char* cfgPath, const char* logName, TZoStringList* list);
}
