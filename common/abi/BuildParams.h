#pragma once
// TBuildParams: what the program hands a builder plug-in's Build for one build.
// The plug-in reaches the host only through the five callbacks (C calling
// convention); texts are zero-terminated Windows-1251 of at most the field size
// minus one characters. String lists cross through TZoStringList, owned by the
// plug-in and filled by the host through the list's own entries.

#include "common/abi/AbiLayout.h"
#include "common/abi/LogProc.h"
#include "common/abi/StringList.h"

#include <cstdint>

extern "C" {

// Runs a console program to its end, its output going to Log line by line.
// WorkFolder nil: the current folder. 0 = it ran; non-zero = it did not start.
typedef int32_t (*TRunProgramProc)(const char* workFolder, const char* commandLine, TLogProc log);
// Query = file path + "/" + node path. Empties List and adds the non-empty
// AttrName values of the node's children named ChildName, in document order.
// 0 = the node was found.
typedef int32_t (*TReadXmlListProc)(void* xml, const char* query, const char* childName, const char* attrName,
                                    TZoStringList* list);
// The attribute AttrName of the node Query: *Value is set to a buffer of the
// host holding it (empty on failure), valid until the next call. 0 = found.
typedef int32_t (*TReadXmlValueProc)(void* xml, const char* query, const char* attrName, const char** value);
// The kernel's CreateConfigFile: 0 = written; List gets the code file names of
// the element blocks written, sorted, without duplicates.
typedef int32_t (*TCreateConfigProc)(const char* cfgPath, const char* logName, TZoStringList* list);

inline constexpr int kBuildNameSize = 61;
inline constexpr int kBuildPathSize = 261;

#pragma pack(push, 1)
struct TBuildParams {
    TLogProc Log;
    TRunProgramProc RunProgram;
    TReadXmlListProc ReadXmlList;
    TReadXmlValueProc ReadXmlValue;
    TCreateConfigProc CreateConfig;
    uint8_t Reserved[20];                      // not set by the host, not read
    char ProjectName[kBuildNameSize];          // without extension
    char DeviceFilePath[kBuildNameSize];       // "\Device\<file>", relative to ProgramFolder
    char DeviceProgram[kBuildNameSize];        // the device's Program attribute
    uint8_t ConfigFileType;                    // not read by Build
    char ProgramFolder[kBuildPathSize];
    char DeviceFolder[kBuildPathSize];         // not read by Build
    char DeviceRuntimeFolder[kBuildPathSize];
    char ConfigurationFolder[kBuildPathSize];  // not read by Build
    char UploadFolder[kBuildPathSize];         // emptied and filled by Build
};
#pragma pack(pop)

// The plug-in's only export.
typedef int32_t (*TBuildProc)(TBuildParams* params);

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TBuildParams, RunProgram, 4, 1);
ZO_ABI_CHECK_OFFSET(TBuildParams, ReadXmlList, 8, 2);
ZO_ABI_CHECK_OFFSET(TBuildParams, ReadXmlValue, 12, 3);
ZO_ABI_CHECK_OFFSET(TBuildParams, CreateConfig, 16, 4);
ZO_ABI_CHECK_OFFSET(TBuildParams, Reserved, 20, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, ProjectName, 40, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, DeviceFilePath, 101, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, DeviceProgram, 162, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, ConfigFileType, 223, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, ProgramFolder, 224, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, DeviceFolder, 485, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, DeviceRuntimeFolder, 746, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, ConfigurationFolder, 1007, 5);
ZO_ABI_CHECK_OFFSET(TBuildParams, UploadFolder, 1268, 5);
ZO_ABI_CHECK_SIZE(TBuildParams, 1529, 5);
