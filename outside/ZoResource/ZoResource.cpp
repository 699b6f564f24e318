// Stand-in for the product's outside picture resource library ZoResource (icon and connection cell strips).
//
// One export:
//   int32_t GetResourceBitmap(const char* name, const uint8_t** bytes, int32_t* size)
// gives the PNG bytes of the named picture; the bytes belong to the library and
// stay valid until it is unloaded. Names (matched without regard to case, as
// resource names are): "Line_12px", "Line_12px_Mask", "Icon16", "Icon24",
// "Icon32", "Icon32dis". Results: 0 done; -1 a nil argument; -2 an unknown
// name; -3 the picture could not be encoded.

#include "common/SlotBarrier.h"
#include "outside/ZoResource/Strips.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <map>
#include <iterator>
#include <mutex>
#include <strings.h>

namespace {

struct Picture {
    const char* name;
    QImage (*draw)();
};

const Picture kPictures[] = {
    {"Line_12px", [] { return zores::drawLineStrip(); }},
    {"Line_12px_Mask", [] { return zores::drawLineMaskStrip(); }},
    {"Icon16", [] { return zores::drawIconStrip(16); }},
    {"Icon24", [] { return zores::drawIconStrip(24); }},
    {"Icon32", [] { return zores::drawIconStrip(32); }},
    {"Icon32dis", [] { return zores::drawDisabledIconStrip(32); }},
};

std::mutex g_lock;
// Encoded pictures by their index in kPictures, made on first request.
std::map<size_t, QByteArray>& encoded() {
    static std::map<size_t, QByteArray> pictures;
    return pictures;
}

int32_t getResourceBitmap(const char* name, const uint8_t** bytes, int32_t* size) {
    if (!name || !bytes || !size) return -1;
    *bytes = nullptr;
    *size = 0;
    for (size_t i = 0; i < std::size(kPictures); ++i) {
        if (strcasecmp(name, kPictures[i].name) != 0) continue;
        std::lock_guard<std::mutex> guard(g_lock);
        auto& cache = encoded();
        auto it = cache.find(i);
        if (it == cache.end()) {
            QByteArray data;
            QBuffer buffer(&data);
            if (!buffer.open(QIODevice::WriteOnly) || !kPictures[i].draw().save(&buffer, "PNG") || data.isEmpty()) {
                return -3;
            }
            it = cache.emplace(i, std::move(data)).first;
        }
        *bytes = reinterpret_cast<const uint8_t*>(it->second.constData());
        *size = static_cast<int32_t>(it->second.size());
        return 0;
    }
    return -2;
}

}  // namespace

// The one export, behind the barrier: a picture that cannot be drawn or encoded answers -3.
extern "C" __attribute__((visibility("default"))) int32_t GetResourceBitmap(const char* name, const uint8_t** bytes,
                                                                           int32_t* size) {
    return zo::SlotBarrier<zo::ReportSlotFailureToStderr, "GetResourceBitmap", getResourceBitmap, -3>::Call(name, bytes,
                                                                                                           size);
}
