#include "kernel/BlockPictures.h"

#include "common/Canvas.h"
#include "common/My_XML.h"
#include "common/Struct.h"
#include "common/abi/PinRecord.h"
#include "kernel/BlockPrepare.h"
#include "kernel/KernelState.h"
#include "kernel/LinkDrawing.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace zo::kernel {

namespace {

// ---- the pictures handed out

class PictureRegistry {
public:
    ~PictureRegistry() {
        for (QImage* picture : pictures_) delete picture;
    }
    void add(QImage* picture) {
        std::lock_guard<std::mutex> lock(mutex_);
        pictures_.insert(picture);
    }
    bool has(const void* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        return pictures_.count(static_cast<QImage*>(const_cast<void*>(object))) != 0;
    }
    bool take(void* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        return pictures_.erase(static_cast<QImage*>(object)) != 0;
    }

private:
    std::mutex mutex_;
    std::unordered_set<QImage*> pictures_;
};

PictureRegistry& registry() {
    static PictureRegistry pictures;
    return pictures;
}

// ---- drawing helpers

constexpr int32_t kBackground = 0xB0B0B0;
constexpr int32_t kInfoBackground = 0xDCDCDC;
constexpr int32_t kCaptionColour = 0x008000;
constexpr int kStubLineType = 2;
constexpr int kMinMargin = 24;

int roundHalfEven(double value) { return int(std::nearbyint(value)); }

QFont font(const char* family, int points, bool bold = false) {
    QFont f(QString::fromLatin1(family), points);
    f.setBold(bold);
    return f;
}

int textWidth(const QFont& f, const QPaintDevice* device, const std::string& text) {
    return QFontMetrics(f, device).horizontalAdvance(platform::cp1251ToQString(text));
}

struct PinText {
    int x = 0;  // pin cell from the picture's origin
    int y = 0;
    bool out = false;
    std::string text;
};

std::vector<PinText> pinTexts(const TBlockRecord& block) {
    std::vector<PinText> out;
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    for (uint16_t i = 0; block.Pins && i < block.Pins->Count; ++i) {
        const auto* pin = static_cast<const TPinRecord*>(block.Pins->GetItem(i));
        const TStructItem* item = description ? description->GetItem(pin->FieldIndex) : nullptr;
        if (!item) continue;
        PinText t;
        t.x = pin->X;
        t.y = pin->Y;
        t.out = std::strcmp(item->Kind, "OUT") == 0;
        t.text = t.out ? std::string(item->Name) + " " + item->Caption : std::string(item->Caption) + " " + item->Name;
        out.push_back(std::move(t));
    }
    return out;
}

// Runs of stub cells in the pin's row: from the pin outwards, `cells` long.
void drawStubs(QPainter& canvas, const TBlockRecord& block, const std::vector<PinText>& pins, int cells,
               bool& failed) {
    for (const PinText& p : pins) {
        const int x = block.Left + p.x, y = block.Top + p.y;
        for (int k = 0; k <= cells; ++k) {
            const int cell = p.out ? x + k : x - k;
            if (!DrawLineCell(canvas, cell * kGridCell, y * kGridCell, kStubLineType, 0, kRunAlongX)) failed = true;
        }
    }
}

// Where a pin's text goes for each turn, from the pin cell's corner: IN, OUT.
struct TextOffset {
    int dx, dy;
};
constexpr TextOffset kInText[4] = {{4, 0}, {-2, 3}, {8, 0}, {-2, 8}};
constexpr TextOffset kOutText[4] = {{8, 0}, {-2, 8}, {4, 0}, {-2, 3}};

void drawPinTexts(QPainter& canvas, const TBlockRecord& block, const std::vector<PinText>& pins, int turn) {
    for (const PinText& p : pins) {
        const int px = (p.x + block.Left) * kGridCell, py = (p.y + block.Top) * kGridCell;
        const TextOffset at = p.out ? kOutText[turn] : kInText[turn];
        DrawPinLabel(canvas, px + at.dx, py + at.dy, p.text, p.out ? turn : turn + 2);
    }
}

void drawCaption(QPainter& canvas, const QImage& image, const std::string& caption) {
    const QFont f = font("MS Sans Serif", 12, true);
    canvas.setFont(f);
    canvas.setPen(ToQColor(kCaptionColour));
    TextOutAngle(canvas, (image.width() - textWidth(f, &image, caption)) / 2, 2, caption, 0);
}

void drawLibrary(QPainter& canvas, const QImage& image, const std::string& library) {
    const QFont f = font("MS Sans Serif", 8);
    canvas.setFont(f);
    canvas.setPen(Qt::black);
    const int height = QFontMetrics(f, &image).height();
    TextOutAngle(canvas, 2, image.height() - 2 - height, "Library -  \"" + library + "\"", 0);
}

// The symbol of the prepared block on a new picture (nil when it cannot be made).
std::unique_ptr<QImage> symbolPicture(TBlockRecord& block) {
    const std::vector<PinText> pins = pinTexts(block);
    const QFont pinFont = font("Courier New", 8);
    QImage probe(1, 1, QImage::Format_RGB32);
    int inWidest = 0, outWidest = 0;
    for (const PinText& p : pins) {
        int& widest = p.out ? outWidest : inWidest;
        widest = std::max(widest, textWidth(pinFont, &probe, p.text));
    }
    const int left = roundHalfEven(std::max(inWidest + kMinMargin, kMinMargin) / double(kGridCell));
    const int right = roundHalfEven(std::max(outWidest + kMinMargin, kMinMargin) / double(kGridCell));

    auto image = std::make_unique<QImage>((block.Right + left + right) * kGridCell, block.Bottom * kGridCell + 48,
                                          QImage::Format_RGB32);
    if (image->isNull()) return nullptr;
    image->fill(ToQColor(kBackground));
    const void* picture = block.Picture;
    block.Left = left;
    block.Top = 2;

    QPainter canvas(image.get());
    canvas.setFont(pinFont);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(Qt::black);
    bool stubFailed = false;
    drawStubs(canvas, block, pins, 4, stubFailed);
    bool hasTurn = false;
    const std::string turn = BlockParameter(block, "Turn", hasTurn);
    if (hasTurn) drawPinTexts(canvas, block, pins, int((std::strtol(turn.c_str(), nullptr, 10) & 0xFF) % 4));
    drawStubs(canvas, block, pins, 2, stubFailed);
    if (stubFailed) LogLineCellFailure();
    if (picture) canvas.drawImage(left * kGridCell, 24, *static_cast<const QImage*>(picture));
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    drawCaption(canvas, *image, description ? description->GetCaption() : std::string());
    bool hasLibrary = false;
    const std::string library = BlockParameter(block, "Library", hasLibrary);
    if (!library.empty()) drawLibrary(canvas, *image, library);
    return image;
}

std::unique_ptr<QImage> commentsPicture(const std::vector<std::string>& comments) {
    std::vector<std::string> lines;
    for (const std::string& comment : comments) {
        size_t start = 0;
        while (start <= comment.size()) {
            const size_t end = std::min(comment.find('\n', start), comment.size());
            std::string line = comment.substr(start, end - start);
            const size_t first = line.find_first_not_of(" \t\r");
            const size_t last = line.find_last_not_of(" \t\r");
            lines.push_back(first == std::string::npos ? std::string() : line.substr(first, last - first + 1));
            start = end + 1;
        }
    }
    const QFont f = font("MS Sans Serif", 10);
    QImage probe(1, 1, QImage::Format_RGB32);
    const int lineHeight = QFontMetrics(f, &probe).height();
    int width = 0, height = 0;
    for (const std::string& line : lines) {
        width = std::max(width, textWidth(f, &probe, line));
        height += lineHeight;
    }
    if (width > 0) {
        width += 10;
        height += 10;
    }
    auto image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    if (width == 0 || height == 0) return image;
    if (image->isNull()) return nullptr;
    image->fill(Qt::white);
    QPainter canvas(image.get());
    canvas.setFont(f);
    canvas.setPen(Qt::black);
    canvas.setBrush(Qt::NoBrush);
    for (size_t i = 0; i < lines.size(); ++i) TextOutAngle(canvas, 5, int(i) * lineHeight + 5, lines[i], 0);
    return image;
}

bool canDraw(const char* blockPath, void** bitmap) { return blockPath && bitmap && !*bitmap; }

int32_t drawBlockPicture(const char* blockPath, std::unique_ptr<QImage>& out) {
    if (!QGuiApplication::instance()) return kPictureNotMade;
    TBlockRecord block{};
    std::memcpy(block.DescriptionPath, blockPath, strnlen(blockPath, sizeof block.DescriptionPath - 1));
    if (PrepareBlock(&block) != 0) return kPictureNotMade;
    std::unique_ptr<QImage> image;
    try {
        image = symbolPicture(block);
    } catch (...) {
        ReleaseBlock(&block);
        throw;
    }
    if (ReleaseBlock(&block) != 0) return kPictureBlockNotReleased;
    if (!image) return kPictureNotMade;
    out = std::move(image);
    return kPictureMade;
}

int32_t drawBlockComments(const char* blockPath, std::unique_ptr<QImage>& out) {
    if (!QGuiApplication::instance()) return kPictureNotMade;
    std::vector<std::string> comments;
    if (ReadBlockComments(blockPath, &comments) != 0) return kPictureNotMade;
    out = commentsPicture(comments);
    return out ? kPictureMade : kPictureNotMade;
}

// The picture above the comments on light grey, two lines between them.
std::unique_ptr<QImage> infoPicture(const QImage& symbol, const QImage& comments) {
    const int width = std::max(symbol.width(), comments.width());
    const int height = symbol.height() + comments.height() + 3;
    auto image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    if (image->isNull()) return nullptr;
    image->fill(ToQColor(kInfoBackground));
    QPainter canvas(image.get());
    canvas.drawImage(roundHalfEven((width - symbol.width()) / 2.0), 0, symbol);
    if (!comments.isNull()) canvas.drawImage(roundHalfEven((width - comments.width()) / 2.0), symbol.height() + 3, comments);
    canvas.setPen(Qt::black);
    canvas.drawLine(0, symbol.height(), width - 1, symbol.height());
    canvas.drawLine(0, symbol.height() + 2, width - 1, symbol.height() + 2);
    return image;
}

}  // namespace

void* HandOutPicture(QImage* picture) {
    registry().add(picture);
    return picture;
}

bool IsKernelPicture(const void* object) { return object && registry().has(object); }

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t DrawBlockPicture(const char* blockPath, void** bitmap) {
    if (!canDraw(blockPath, bitmap)) return kPictureBadArgument;
    std::unique_ptr<QImage> image;
    const int32_t result = drawBlockPicture(blockPath, image);
    if (result == kPictureMade) *bitmap = HandOutPicture(image.release());
    return result;
}

extern "C" int32_t DrawBlockComments(const char* blockPath, void** bitmap) {
    if (!canDraw(blockPath, bitmap)) return kPictureBadArgument;
    std::unique_ptr<QImage> image;
    const int32_t result = drawBlockComments(blockPath, image);
    if (result == kPictureMade) *bitmap = HandOutPicture(image.release());
    return result;
}

extern "C" int32_t GetBlockInfoBitmap(const char* blockPath, void** bitmap) {
    if (!canDraw(blockPath, bitmap)) return kPictureBadArgument;
    std::unique_ptr<QImage> symbol, comments;
    if (drawBlockPicture(blockPath, symbol) != kPictureMade) return kPictureNotMade;
    // Comments that cannot be read leave the picture alone.
    if (drawBlockComments(blockPath, comments) != kPictureMade) comments = std::make_unique<QImage>();
    std::unique_ptr<QImage> info = infoPicture(*symbol, *comments);
    if (!info) return kPictureNotMade;
    *bitmap = HandOutPicture(info.release());
    return kPictureMade;
}

extern "C" void ReleaseObject(void** object) {
    if (!object || !*object) return;
    if (!registry().take(*object)) return;
    delete static_cast<QImage*>(*object);
    *object = nullptr;
}
