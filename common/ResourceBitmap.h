#pragma once
// Pictures of the resource library (icon strips, connection cell strips).

#include <QImage>

#include <cstdint>
#include <string>

namespace zo {

// The resource library, relative to the current folder.
inline constexpr const char* kResourceLibraryPath = "System\\ZoResource.so";

// Its one export: the encoded picture (PNG) of the given name, owned by the
// library and valid until it is unloaded. Answers 0 with *bytes and *size set;
// -1 for a nil argument, -2 for an unknown name, -3 when the picture could not
// be made.
using GetResourceBitmapFn = int32_t (*)(const char* name, const uint8_t** bytes, int32_t* size);
inline constexpr const char* kGetResourceBitmapName = "GetResourceBitmap";

// Loads the resource library, takes the named picture out of it as a copy in
// Format_RGB32 and unloads the library again. A null image when the library,
// its export or the picture is missing or the picture cannot be decoded.
QImage LoadResourceBitmap(const std::string& name);

}  // namespace zo
