#pragma once
// The element library's drag object travels from the library tree to a scheme
// window inside one process: the drag's MIME data holds, under this type, the
// address of the TMyDragObject (common/abi/DragObject.h) the library window
// filled, as the bytes of a quintptr. The scheme window hands that address to
// the kernel's SheetDragOver / SheetDragDrop as the drag source.

#include <QByteArray>
#include <QMimeData>

#include <cstring>

struct TMyDragObject;

namespace zo::configurator {

inline constexpr char kDragObjectMimeType[] = "application/x-orvanta-drag-object";

inline QByteArray packDragObject(TMyDragObject* object) {
    const quintptr address = reinterpret_cast<quintptr>(object);
    return QByteArray(reinterpret_cast<const char*>(&address), sizeof address);
}

// The drag object a MIME payload carries, or nullptr when it carries none.
inline TMyDragObject* unpackDragObject(const QMimeData* data) {
    if (data == nullptr || !data->hasFormat(kDragObjectMimeType)) return nullptr;
    const QByteArray bytes = data->data(kDragObjectMimeType);
    if (bytes.size() != static_cast<qsizetype>(sizeof(quintptr))) return nullptr;
    quintptr address = 0;
    std::memcpy(&address, bytes.constData(), sizeof address);
    return reinterpret_cast<TMyDragObject*>(address);
}

}  // namespace zo::configurator
