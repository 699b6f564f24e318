#include "kernel/LineTypes.h"

#include "common/Canvas.h"
#include "common/ImageList.h"
#include "common/My_XML.h"
#include "common/ResourceBitmap.h"
#include "common/Struct.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace zo::kernel {

namespace {

int32_t readInt(const uint8_t* item, int offset) {
    int32_t v = 0;
    std::memcpy(&v, item + offset, sizeof v);
    return v;
}

std::string readText(const uint8_t* item, int offset, int limit) {
    const char* p = reinterpret_cast<const char*>(item + offset);
    return std::string(p, strnlen(p, size_t(limit)));
}

struct Strips {
    QImage shapes;
    QImage masks;
    QRgb shapeBackground = 0;
    QRgb maskBackground = 0;
    int maskColumns = 0;
};

// One of the 34 images: the shape cell in the line colour, the masked part in
// the mask colour and, from image 17 on, the overlay cell drawn over it.
QImage buildImage(const Strips& s, int i, int cell, QRgb lineColor, QRgb maskColor, int maskColumn) {
    const int shape = i < 17 ? i : i - 17;
    QImage work(cell, cell, QImage::Format_RGB32);
    work.fill(s.shapeBackground);
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            const int sx = 12 * shape + x, sy = y;
            if (sx >= s.shapes.width() || sy >= s.shapes.height()) continue;
            const QRgb px = s.shapes.pixel(sx, sy);
            if (px == s.shapeBackground) continue;
            work.setPixel(x, y, lineColor);
            if (maskColumn >= 1 && maskColumn <= s.maskColumns) {
                const int mx = 12 * (maskColumn - 1) + x;
                if (mx < s.masks.width() && y < s.masks.height() && s.masks.pixel(mx, y) != s.maskBackground)
                    work.setPixel(x, y, maskColor);
            }
        }
    }
    if (i >= 17) {
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                const int sx = 12 * shape + x, sy = 12 + y;
                if (sx >= s.shapes.width() || sy >= s.shapes.height()) continue;
                const QRgb px = s.shapes.pixel(sx, sy);
                if (px != s.shapeBackground) work.setPixel(x, y, px);
            }
        }
    }
    return work;
}

std::unique_ptr<TImageList> buildImages(const Strips& s, const uint8_t* record, int cell) {
    auto list = std::make_unique<TImageList>(cell, cell);
    const QRgb line = ToQRgb(readInt(record, kLineTypeColorOffset));
    const QRgb mask = ToQRgb(readInt(record, kLineTypeMaskColorOffset));
    const int column = readInt(record, kLineTypeMaskColumnOffset);
    for (int i = 0; i < kLineTypeImageCount; ++i) {
        if (list->AddMasked(buildImage(s, i, cell, line, mask, column), FromQRgb(s.shapeBackground)) < 0) return nullptr;
    }
    return list;
}

}  // namespace

std::string LineTypeName(const void* item) {
    return readText(static_cast<const uint8_t*>(item), kLineTypeNameOffset, kLineTypeDataTypeOffset);
}

std::string LineTypeDataType(const void* item) {
    return readText(static_cast<const uint8_t*>(item), kLineTypeDataTypeOffset, 31);
}

int32_t LineTypeColor(const void* item) { return readInt(static_cast<const uint8_t*>(item), kLineTypeColorOffset); }

TImageList* LineTypeImages(const void* item) {
    TImageList* images = nullptr;
    std::memcpy(&images, static_cast<const uint8_t*>(item) + kLineTypeImagesOffset, sizeof images);
    return images;
}

int ClearLineTypes(TMenObj* list) {
    if (!list) return -1;
    if (list->ItemSize != kLineTypeItemSize) return -2;
    for (uint16_t i = 0; i < list->Count; ++i) delete LineTypeImages(list->GetItem(i));
    list->Clear();
    return 0;
}

int LoadLineTypes(const char* fileName, const char* pictureName, const char* maskName, int cellSize, TMenObj* list) {
    if (!fileName || !pictureName || !maskName || !list || cellSize < 1) return -1;
    if (ClearLineTypes(list) != 0) return -2;
    TZo_XML xml;
    if (xml.OpenFile(fileName) != 0) return -3;
    xml.GoRoot();
    xml.SetMark();
    if (xml.CountFromMark("Lines") != 1) return -4;

    KernelState& s = State();
    const std::string descriptionPath = s.structFolder + ZO_RU("\\Struct.xml/STRUCT/Описание_соединения");
    TStruct* description = s.structCache->GetStruct(descriptionPath.c_str());
    if (!description) return -5;
    if (description->GetSize() != kLineTypeRecordSize) {
        Log(ZO_RU("Не соответствие размера структуры ") + Q + descriptionPath + Q, kLogError);
        return -6;
    }

    Strips strips;
    strips.shapes = LoadResourceBitmap(pictureName);
    strips.masks = LoadResourceBitmap(maskName);
    if (strips.shapes.isNull() || strips.masks.isNull()) return -7;
    strips.shapeBackground = strips.shapes.pixel(0, 0);
    strips.maskBackground = strips.masks.pixel(0, 0);
    strips.maskColumns = strips.masks.width() / cellSize;

    xml.FindFromMark("Lines");
    if (xml.GoFirstChild() != 0) return 0;
    std::vector<uint8_t> item(kLineTypeItemSize);
    do {
        if (xml.GetNodeName() != "Line") continue;
        std::fill(item.begin(), item.end(), 0);
        if (description->ReadValuesFromElement(item.data(), &xml) != 0) return -7;
        std::unique_ptr<TImageList> images = buildImages(strips, item.data(), cellSize);
        if (!images) {
            ClearLineTypes(list);
            return -8;
        }
        TImageList* raw = images.get();
        std::memcpy(item.data() + kLineTypeImagesOffset, &raw, sizeof raw);
        if (list->AddItem(item.data()) != 1) {
            ClearLineTypes(list);
            return -8;
        }
        images.release();
    } while (xml.GoNextSibling() == 0);
    return 0;
}

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t GetConnectionTypeColor(const char* typeName) {
    if (!typeName || !StateExists()) return kUnknownLineTypeColor;
    uint16_t index = 0;
    zo::TMenObj& types = State().lineTypes;
    if (!types.FindName(index, typeName)) return kUnknownLineTypeColor;
    return LineTypeColor(types.GetItem(index));
}
