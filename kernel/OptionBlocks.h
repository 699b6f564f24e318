#pragma once
// Option blocks: fixed-layout settings records described in the options file
// (Struct\Options.xml, read by element path OPTIONS/STRUCT/<block>) and stored
// field by field in the settings file (Struct\Configurator.xml, root "setings",
// one element per block, one attribute per field that differs from its default).
// The kernel owns one block itself, "ConfiguratorBuilder", and holds the
// program's display block "ConfiguratorVisible" as the program hands it over.

#include <cstdint>

namespace zo::kernel {

inline constexpr const char* kBuilderBlockName = "ConfiguratorBuilder";
inline constexpr int32_t kBuilderBlockSize = 2;
inline constexpr const char* kVisibleBlockName = "ConfiguratorVisible";

// Results of the option block slots.
enum OptionBlockResult : int32_t {
    kOptionBlockDone = 0,
    kOptionBlockFailed = -1,           // see each slot
    kOptionDescriptionNotLoaded = -2,  // GetStructDescription
};

}  // namespace zo::kernel

extern "C" {
// Writes the block to the value path: done; failed for a nil argument, the
// description does not load, its size is not size, or the write failed.
int32_t SaveOptionBlock(const char* descriptionPath, const char* valuePath, void* block, int32_t size);
// Fills the block with its defaults, then reads the value path: done; failed
// otherwise (the block holds the defaults when only the read failed, and is
// untouched when the description does not load or its size is not size).
int32_t LoadOptionBlock(const char* descriptionPath, const char* valuePath, void* block, int32_t size);
// Reloads the kernel's one shared description from the path (by element path):
// done, with the structure and its record size; failed for a nil argument;
// description not loaded (structure nil, size 0). The structure stays the kernel's and is valid until
// the next call.
int32_t GetStructDescription(const char* descriptionPath, void** structRef, int32_t* size);
// The kernel's block by its exact name ("ConfiguratorBuilder", or the copy of
// "ConfiguratorVisible"): done, with its address, size and reserved 0; failed
// for any other name (outputs untouched).
int32_t GetKernelOptionBlock(const char* name, void** data, int32_t* size, int32_t* reserved);
}
