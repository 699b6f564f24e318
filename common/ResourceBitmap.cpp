#include "common/ResourceBitmap.h"

#include "platform/DynLib.h"

namespace zo {

QImage LoadResourceBitmap(const std::string& name) {
    void* library = platform::loadLibrary(kResourceLibraryPath);
    if (!library) return QImage();
    QImage picture;
    auto get = reinterpret_cast<GetResourceBitmapFn>(platform::findSymbol(library, kGetResourceBitmapName));
    if (get) {
        const uint8_t* bytes = nullptr;
        int32_t size = 0;
        if (get(name.c_str(), &bytes, &size) == 0 && bytes && size > 0) {
            // The bytes belong to the library: decode (which copies) before it goes.
            picture = QImage::fromData(bytes, size).convertToFormat(QImage::Format_RGB32);
        }
    }
    platform::unloadLibrary(library);
    return picture;
}

}  // namespace zo
