#pragma once
// Connection line types: named data types with colours, read from Config.xml,
// each with 34 cell images coloured from the resource library's picture strips.

#include "common/MenObj.h"

#include <cstdint>
#include <string>

namespace zo {
class TImageList;
}

namespace zo::kernel {

// Places the kernel reads in a line type's record.
inline constexpr int kLineTypeNameOffset = 0;
inline constexpr int kLineTypeDataTypeOffset = 21;
inline constexpr int kLineTypeColorOffset = 83;
inline constexpr int kLineTypeMaskColorOffset = 87;
inline constexpr int kLineTypeMaskColumnOffset = 91;
inline constexpr int kLineTypeImageCount = 34;
inline constexpr int32_t kUnknownLineTypeColor = 0xC0C0C0;

// 0 read; -1 nil argument; -2 the list could not be emptied; -3 the file could
// not be opened; -4 not exactly one Lines element; -5 the description does not
// load; -6 its size is not 95; -7 a picture strip or a Line could not be read;
// -8 building a type's images failed (the list is emptied).
int LoadLineTypes(const char* fileName, const char* pictureName, const char* maskName, int cellSize, TMenObj* list);
// 0 done; -1 nil list; -2 not a line-type list.
int ClearLineTypes(TMenObj* list);

// Reading a line-type item.
std::string LineTypeName(const void* item);
std::string LineTypeDataType(const void* item);
int32_t LineTypeColor(const void* item);
TImageList* LineTypeImages(const void* item);

}  // namespace zo::kernel

extern "C" int32_t GetConnectionTypeColor(const char* typeName);
