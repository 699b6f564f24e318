// Stand-in for the outside graphic library ZoGraficConfig: draws block pictures with their pins on the 12-pixel grid.
#include "BlockPainter.h"

#include "common/SlotBarrier.h"
#include "common/abi/GraficOptions.h"
#include "platform/Cp1251.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

using zo::grafic::BlockSpec;
using zo::grafic::PinSpec;

TGraficOptions g_record;
std::once_flag g_filled;

// Every picture this library made and has not freed yet.
struct Pictures {
    std::mutex mutex;
    std::unordered_set<QImage*> made;
};

enum DrawResult : int32_t {
    kDrawn = 0,
    kBadArgument = -1,      // nil picture address, pair, structure or pin list
    kNoCallbacks = -2,      // the kernel has not wired the callbacks this needs
    kForeignPicture = -3,   // the reference holds a picture this library did not make
    kBadDescription = -4,   // the description's item count is unusable
    kTooLarge = -5,         // the picture would exceed the size limit or memory
    kNoApplication = -6,    // no GUI application: fonts are unavailable
    kPinNotAdded = -7,      // the kernel's list refused a pin
    kFailed = -8,           // anything else that went wrong while drawing
};

const char kQuote = '"';

void logLine(const std::string& text, uint8_t level) {
    const TLogProc log = g_record.Log;
    if (log) log(text.c_str(), level);
}

// A failed entry of the record, told once at level 5 through the kernel's log.
void reportFailure(const char* slot, const char* what) noexcept {
    const TLogProc log = g_record.Log;
    if (!log) return zo::ReportSlotFailureToStderr(slot, what);
    char line[512];
    std::snprintf(line, sizeof line, "ZoGraficConfig %s: %s", slot, what);
    try {
        log(line, kLogError);
    } catch (...) {
    }
}

template <zo::SlotName Name, auto Routine, auto... Failure>
constexpr auto Guarded = &zo::SlotBarrier<reportFailure, Name, Routine, Failure...>::Call;

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

Pictures& pictures();

bool isOwned(QImage* image) {
    Pictures& p = pictures();
    std::lock_guard<std::mutex> lock(p.mutex);
    return p.made.count(image) != 0;
}

// The callbacks one drawing needs, copied out of the packed record.
struct Callbacks {
    TGetStructTextProc name = g_record.GetStructName;
    TGetStructTextProc caption = g_record.GetStructCaption;
    TGetStructCountProc count = g_record.GetStructItemCount;
    TGetStructItemTextProc itemType = g_record.GetStructItemType;
    TGetStructItemTextProc itemName = g_record.GetStructItemName;
    TGetStructItemTextProc itemKind = g_record.GetStructItemKind;
    TGetStructItemTextProc itemValue = g_record.GetStructItemValue;
    TFindStructItemProc find = g_record.FindStructItem;
    TAddMenObjItemProc addItem = g_record.AddMenObjItem;
    TGetConnectionTypeColorProc colour = g_record.GetConnectionTypeColor;

    bool complete() const {
        return name && caption && count && itemType && itemName && itemKind && itemValue && find && addItem && colour;
    }
};

// The value of a display parameter as text; found is false when the display
// structure has no such field.
std::string displayValue(const Callbacks& cb, const TStructInstance* display, const char* field, bool& found) {
    int16_t index = -1;
    found = cb.find(display, field, &index) == 1 && index >= 0;
    return found ? textOf(cb.itemValue(display, uint16_t(index))) : std::string();
}

int32_t readBlock(const Callbacks& cb, const TStructInstance* block, const TStructInstance* display, BlockSpec& spec) {
    spec.name = textOf(cb.name(block));
    spec.caption = textOf(cb.caption(block));
    const int32_t count = cb.count(block);
    if (count < 0 || count > INT16_MAX) return kBadDescription;
    for (int32_t i = 0; i < count; ++i) {
        const std::string kind = textOf(cb.itemKind(block, uint16_t(i)));
        if (kind != "IN" && kind != "OUT") continue;
        PinSpec pin;
        pin.field = int16_t(i);
        pin.out = kind == "OUT";
        pin.name = textOf(cb.itemName(block, uint16_t(i)));
        const std::string type = textOf(cb.itemType(block, uint16_t(i)));
        pin.colour = uint32_t(cb.colour(type.c_str()));
        spec.pins.push_back(std::move(pin));
    }
    bool found = false;
    const std::string turn = displayValue(cb, display, "Turn", found);
    // The turn counts by its low byte, in quarter turns.
    spec.turn = found ? int((std::strtol(turn.c_str(), nullptr, 10) & 0xFF) % 4) : 0;
    spec.kernelLabel = found;
    spec.label = displayValue(cb, display, "Label", found);
    spec.pinNames = g_record.HidePinNames == 0;
    return kDrawn;
}

// Pictures already painted, by everything a picture depends on: the blocks of
// one type with the same display parameters get one painted image between
// them (QImage shares its pixels until a holder draws on its copy), so a
// project of thousands of blocks paints each kind of block once.
struct PaintedBlock {
    QImage image;
    std::vector<TPinRecord> pins;
};
constexpr size_t kPaintedLimit = 512;
struct Painted {
    std::mutex mutex;
    std::unordered_map<std::string, PaintedBlock> blocks;
};

void appendKeyPart(std::string& key, const std::string& part) {
    key += std::to_string(part.size());
    key += ':';
    key += part;
}

// The application font's key, worked out again only when the font changes.
// The font is kept on the heap behind a plain pointer and let go by
// GraficDone: a font must not be destroyed by a static destructor after the
// application has gone.
std::mutex g_fontMutex;
QFont* g_font = nullptr;
struct Font {
    std::string key;
};

// What the library keeps between calls, on the heap behind a plain pointer.
// The kernel calls GraficDone from its own unloading, which a host that ends
// without unloading the kernel runs after this library's static objects are
// gone: GraficDone then finds the pointer emptied and has nothing left to
// clear, instead of clearing destroyed containers (or making a state that
// nothing would free).
struct Kept {
    Pictures pictures;
    Painted painted;
    Font font;
};

Kept* g_kept = new Kept;

Kept& kept() {
    if (!g_kept) g_kept = new Kept;
    return *g_kept;
}

// Lets the state go, with the pictures no one gave back, when the library is
// unloaded or the process ends.
struct KeptRelease {
    KeptRelease() = default;
    KeptRelease(const KeptRelease&) = delete;
    KeptRelease& operator=(const KeptRelease&) = delete;
    ~KeptRelease() {
        Kept* const state = g_kept;
        g_kept = nullptr;
        if (!state) return;
        for (QImage* image : state->pictures.made) delete image;
        delete state;
    }
} g_keptRelease;

std::string fontKey() {
    const QFont now = QGuiApplication::font();
    std::lock_guard<std::mutex> lock(g_fontMutex);
    Font& f = kept().font;
    if (!g_font) g_font = new QFont(now);
    else if (!(now == *g_font)) *g_font = now;
    else if (!f.key.empty()) return f.key;
    f.key = now.key().toStdString();
    return f.key;
}

void forgetFont() {
    std::lock_guard<std::mutex> lock(g_fontMutex);
    delete g_font;
    g_font = nullptr;
    if (g_kept) g_kept->font.key.clear();
}

std::string paintedKey(const BlockSpec& spec) {
    std::string key;
    appendKeyPart(key, fontKey());
    appendKeyPart(key, spec.name);
    appendKeyPart(key, spec.caption);
    appendKeyPart(key, spec.label);
    key += std::to_string(spec.turn);
    key += spec.kernelLabel ? 'L' : '-';
    key += spec.pinNames ? 'P' : '-';
    for (const PinSpec& pin : spec.pins) {
        key += pin.out ? 'O' : 'I';
        key += std::to_string(pin.field) + ',' + std::to_string(pin.colour) + ',';
        appendKeyPart(key, pin.name);
    }
    return key;
}

zo::grafic::PaintResult paintShared(const BlockSpec& spec, QImage& image, std::vector<TPinRecord>& pins) {
    const std::string key = paintedKey(spec);
    Painted& painted = kept().painted;
    {
        std::lock_guard<std::mutex> lock(painted.mutex);
        if (const auto found = painted.blocks.find(key); found != painted.blocks.end()) {
            image = found->second.image;
            pins = found->second.pins;
            return zo::grafic::PaintResult::Ok;
        }
    }
    const zo::grafic::PaintResult result = zo::grafic::paintBlock(spec, image, pins);
    if (result == zo::grafic::PaintResult::Ok) {
        std::lock_guard<std::mutex> lock(painted.mutex);
        if (painted.blocks.size() >= kPaintedLimit) painted.blocks.clear();
        painted.blocks.emplace(key, PaintedBlock{image, pins});
    }
    return result;
}

Pictures& pictures() { return kept().pictures; }

int32_t drawBlock(void** picture, const TStructInstance* block, const TStructInstance* display, void* pins) {
    if (!picture || !block || !display || !pins || !block->Struct || !display->Struct) return kBadArgument;
    const Callbacks cb;
    if (!cb.complete()) {
        logLine(ZO_RU("Не заданы функции ядра для рисования блока"), kLogError);
        return kNoCallbacks;
    }
    QImage* existing = static_cast<QImage*>(*picture);
    if (existing && !isOwned(existing)) {
        logLine(ZO_RU("Изображение блока создано не библиотекой ZoGraficConfig"), kLogError);
        return kForeignPicture;
    }
    if (!QGuiApplication::instance()) {
        logLine(ZO_RU("Нет приложения для рисования блока"), kLogError);
        return kNoApplication;
    }

    BlockSpec spec;
    if (const int32_t read = readBlock(cb, block, display, spec); read != kDrawn) return read;

    QImage image;
    std::vector<TPinRecord> pinCells;
    if (paintShared(spec, image, pinCells) != zo::grafic::PaintResult::Ok) {
        logLine(ZO_RU("Слишком большое изображение блока ") + kQuote + spec.name + kQuote, kLogError);
        return kTooLarge;
    }
    for (const TPinRecord& pin : pinCells) {
        if (cb.addItem(pins, &pin) != 0) {
            logLine(ZO_RU("Ошибка добавления вывода блока ") + kQuote + spec.name + kQuote, kLogError);
            return kPinNotAdded;
        }
    }

    Pictures& owned = pictures();
    std::lock_guard<std::mutex> lock(owned.mutex);
    if (existing) {
        // Redrawn in place: the holder keeps its reference.
        if (!owned.made.count(existing)) return kForeignPicture;
        *existing = std::move(image);
        return kDrawn;
    }
    QImage* made = new QImage(std::move(image));
    owned.made.insert(made);
    *picture = made;
    return kDrawn;
}

int32_t DrawBlock(void** picture, const TStructInstance* block, const TStructInstance* display, void* pins) {
    return drawBlock(picture, block, display, pins);
}

int32_t ReleasePicture(void** picture) {
    if (!picture) return -1;
    QImage* image = static_cast<QImage*>(*picture);
    if (!image) return 0;
    {
        Pictures& owned = pictures();
        std::lock_guard<std::mutex> lock(owned.mutex);
        if (owned.made.erase(image) == 0) return -2;
    }
    delete image;
    *picture = nullptr;
    return 0;
}

int32_t GraficInit(TGraficOptions* record) {
    if (!record) return -1;
    return record == &g_record ? 0 : -2;
}

int32_t GraficDone() {
    forgetFont();
    if (!g_kept) return 0;  // let go already, with what it held
    {
        Painted& painted = kept().painted;
        std::lock_guard<std::mutex> lock(painted.mutex);
        painted.blocks.clear();
    }
    std::unordered_set<QImage*> left;
    {
        Pictures& owned = pictures();
        std::lock_guard<std::mutex> lock(owned.mutex);
        left.swap(owned.made);
    }
    for (QImage* image : left) delete image;
    return int32_t(left.size());
}

void fillRecord() {
    std::memset(&g_record, 0, sizeof g_record);
    const std::string& description = ZO_RU("библиотека графики Orvanta Configurator");
    std::memcpy(g_record.Description, description.data(), std::min(description.size(), sizeof g_record.Description - 1));
    g_record.GraficInit = Guarded<"GraficInit", GraficInit, -1>;
    g_record.GraficDone = Guarded<"GraficDone", GraficDone, 0>;
    g_record.DrawBlock = Guarded<"DrawBlock", DrawBlock, kFailed>;
    g_record.ReleasePicture = Guarded<"ReleasePicture", ReleasePicture, -1>;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    std::call_once(g_filled, fillRecord);
    if (record) *record = &g_record;
    if (size) *size = int32_t(sizeof(TGraficOptions));
}
