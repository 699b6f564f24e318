#pragma once
// The channel base Canals.xml in the Struct folder: every full-type project
// lists there the network channel blocks ("Orvan_In", "Orvan_Out") of its
// sheets. SaveProject updates it, OpenProject checks it, WriteChannelList writes
// the same lists to a byte stream.

#include <cstdint>
#include <string>

struct TZoStream;

namespace zo {
class TArhivStruc;
class TMenObj;
}  // namespace zo

namespace zo::kernel {

// The element of a project in the base: "_" and the project file's name, every
// character that may not stand in an XML name replaced by "_".
std::string ChannelElementName(const std::string& projectPath);

// The description names of the network channel blocks.
bool IsNetworkChannelName(const std::string& descriptionName);

// Writes the project's part of <Struct folder>\Canals.xml (after the project
// file was saved to projectPath). Failures are logged; none is reported.
void UpdateChannelBase(const std::string& projectPath);

// Checks the base: every channel description it names is loaded into the cache.
// 0 checked; -1 nil list or cache; -2 not a channel list; -3 the list could not
// be emptied; -4 the file is missing or does not open; -5 not exactly one
// "Orvanta_Canals"; -6 a channel description is missing (the list is emptied).
int LoadChannelBase(TMenObj* list, TArhivStruc* cache, const char* canalsPath, const char* basePath);

// Frees the buffer each channel record owns (std::free of the pointer in its
// last bytes) and empties the list: 0; -1 nil list; -2 not a channel list.
int FreeChannelRecords(TMenObj* list);

}  // namespace zo::kernel

namespace zo::kernel {

// Results of WriteChannelList.
enum WriteChannelListResult : int32_t {
    kChannelListWritten = 0,
    kChannelListNoStream = -1,
    kChannelListEmpty = -2,         // no sheet holds a network channel block
    kChannelListStreamFailed = -100,
};

}  // namespace zo::kernel

extern "C" {
// The network channel blocks of the sheets as a little-endian byte stream: a
// WriteChannelListResult.
int32_t WriteChannelList(TZoStream* stream);
}
