// The graphic library as the kernel uses it: loaded from the program folder,
// wired to a small host (structure accessors over in-test descriptions, a pin
// list, connection-type colours), asked to draw and release block pictures.

#include "support/TestSupport.h"

#include "common/MenObj.h"
#include "common/abi/GraficOptions.h"
#include "common/abi/PinRecord.h"
#include "platform/DynLib.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

using zo::test::cp;

// ---- the host: descriptions, accessors, pin list, colours -------------------

struct Field {
    std::string kind, name, type;
};

struct Description {
    std::string name, caption;
    std::vector<Field> fields;
    std::optional<int32_t> countOverride;  // what GetStructItemCount reports instead
};

// A value record of a description: the text of each field.
using Values = std::vector<std::string>;

const Description& descriptionOf(const TStructInstance* instance) {
    return *static_cast<const Description*>(instance->Struct);
}

// Like the kernel, every item accessor answers in one shared buffer.
char g_buffer[261];

const char* answer(const std::string& text) {
    std::snprintf(g_buffer, sizeof g_buffer, "%s", text.c_str());
    return g_buffer;
}

const Field* fieldOf(const TStructInstance* instance, uint16_t index) {
    if (!instance || !instance->Struct) return nullptr;
    const Description& d = descriptionOf(instance);
    return index < d.fields.size() ? &d.fields[index] : nullptr;
}

const char* hostName(const TStructInstance* i) { return i && i->Struct ? descriptionOf(i).name.c_str() : nullptr; }
const char* hostCaption(const TStructInstance* i) { return i && i->Struct ? descriptionOf(i).caption.c_str() : nullptr; }
int32_t hostCount(const TStructInstance* i) {
    if (!i || !i->Struct) return 0;
    const Description& d = descriptionOf(i);
    return d.countOverride ? *d.countOverride : int32_t(d.fields.size());
}
const char* hostType(const TStructInstance* i, uint16_t n) {
    const Field* f = fieldOf(i, n);
    return answer(f ? f->type : "");
}
const char* hostItemName(const TStructInstance* i, uint16_t n) {
    const Field* f = fieldOf(i, n);
    return answer(f ? f->name : "");
}
const char* hostItemCaption(const TStructInstance* i, uint16_t n) {
    const Field* f = fieldOf(i, n);
    return answer(f ? f->name + " caption" : "");
}
const char* hostKind(const TStructInstance* i, uint16_t n) {
    const Field* f = fieldOf(i, n);
    return answer(f ? f->kind : "");
}
const char* hostDefault(const TStructInstance* i, uint16_t n) { return answer(fieldOf(i, n) ? "0" : ""); }
const char* hostValue(const TStructInstance* i, uint16_t n) {
    if (!fieldOf(i, n) || !i->Data) return answer("");
    const Values& values = *static_cast<const Values*>(i->Data);
    return answer(n < values.size() ? values[n] : "");
}
int32_t hostFind(const TStructInstance* i, const char* name, int16_t* index) {
    if (!i || !i->Struct) return 0;
    const Description& d = descriptionOf(i);
    for (size_t n = 0; n < d.fields.size(); ++n) {
        if (d.fields[n].name == name) {
            *index = int16_t(n);
            return 1;
        }
    }
    *index = -1;
    return 0;
}

int g_addLimit = -1;  // >= 0: appends allowed before the list refuses
int32_t hostAddItem(void* list, const void* item) {
    if (!list) return -2;
    if (g_addLimit == 0) return -1;
    if (g_addLimit > 0) --g_addLimit;
    return static_cast<zo::TMenObj*>(list)->AddItem(item) == 1 ? 0 : -1;
}

// Connection-type colours (0x00BBGGRR), light grey for an unknown type.
const std::map<std::string, int32_t> kTypeColours = {{"Bool", 0x000000FF}, {"Int", 0x00FF0000}, {"Real", 0x00008000}};
int32_t hostColour(const char* type) {
    auto it = kTypeColours.find(type ? type : "");
    return it == kTypeColours.end() ? 0x00C0C0C0 : it->second;
}
QColor qcolour(int32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

std::vector<std::pair<std::string, int>> g_log;
void hostLog(const char* text, uint8_t level) { g_log.emplace_back(text ? text : "", level); }

// ---- fixture ----------------------------------------------------------------

class ZoGraficConfigTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        handle_ = zo::platform::loadLibrary(ZO_PROGRAM_DIR "/System/ZoGraficConfig.so");
        ASSERT_NE(handle_, nullptr) << zo::platform::lastLibraryError();
        getInfo_ = reinterpret_cast<GetInfoProc>(zo::platform::findSymbol(handle_, "GetInfo"));
        ASSERT_NE(getInfo_, nullptr);
        void* record = nullptr;
        int32_t size = 0;
        getInfo_(&record, &size);
        ASSERT_EQ(size, int32_t(sizeof(TGraficOptions)));
        options_ = static_cast<TGraficOptions*>(record);
        ASSERT_EQ(options_->GraficInit(options_), 0);
        // What the kernel writes after the initialisation call.
        options_->Log = hostLog;
        options_->GetStructName = hostName;
        options_->GetStructCaption = hostCaption;
        options_->GetStructItemCount = hostCount;
        options_->GetStructItemType = hostType;
        options_->GetStructItemName = hostItemName;
        options_->GetStructItemCaption = hostItemCaption;
        options_->GetStructItemKind = hostKind;
        options_->GetStructItemDefault = hostDefault;
        options_->GetStructItemValue = hostValue;
        options_->FindStructItem = hostFind;
        options_->AddMenObjItem = hostAddItem;
        options_->GetConnectionTypeColor = hostColour;
        std::memcpy(&wired_, options_, sizeof wired_);
    }

    static void TearDownTestSuite() {
        if (options_) {
            EXPECT_EQ(options_->GraficDone(), 0) << "a test left pictures behind";
        }
        zo::platform::unloadLibrary(handle_);
        handle_ = nullptr;
        options_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(options_, nullptr);
        std::memcpy(options_, &wired_, sizeof wired_);
        g_addLimit = -1;
        g_log.clear();
        pins_.SetItemSize(sizeof(TPinRecord));
        block_ = {"AND", "Logical and",
                  {{"IN", "A", "Bool"}, {"IN", "B", "Int"}, {"VAR", "K", "Int"}, {"Cod", "Cod", "Word"},
                   {"OUT", "Q", "Bool"}, {"VAR", "Library", "String"}, {"IN", "C", "Real"}}};
        display_ = {"Display", "", {{"VAR", "Turn", "Byte"}, {"VAR", "Label", "String"}}};
        displayValues_ = {"0", ""};
    }

    void TearDown() override {
        for (void*& picture : pictures_) {
            if (picture) {
                EXPECT_EQ(options_->ReleasePicture(&picture), 0);
            }
        }
        std::memcpy(options_, &wired_, sizeof wired_);
    }

    TStructInstance blockPair() { return TStructInstance{&block_, &blockValues_}; }
    TStructInstance displayPair() { return TStructInstance{&display_, &displayValues_}; }

    // Draws into a fresh reference (released at the end of the test).
    int32_t draw(void*& picture) {
        pins_.Clear();
        const TStructInstance b = blockPair(), d = displayPair();
        return options_->DrawBlock(&picture, &b, &d, &pins_);
    }

    void*& newPicture() {
        pictures_.push_back(nullptr);
        return pictures_.back();
    }

    std::vector<TPinRecord> pins() const {
        std::vector<TPinRecord> out(pins_.Count);
        for (uint16_t i = 0; i < pins_.Count; ++i) std::memcpy(&out[i], pins_.GetItem(i), sizeof(TPinRecord));
        return out;
    }

    using GetInfoProc = void (*)(void**, int32_t*);
    static inline void* handle_ = nullptr;
    static inline GetInfoProc getInfo_ = nullptr;
    static inline TGraficOptions* options_ = nullptr;
    static inline TGraficOptions wired_;

    Description block_, display_;
    Values blockValues_{"65535", "65535", "3", "7", "65535", "", "65535"};
    Values displayValues_;
    zo::TMenObj pins_;
    std::deque<void*> pictures_;  // references stay put as pictures are added
};

const QImage& imageOf(void* picture) { return *static_cast<const QImage*>(picture); }

bool isIn(const Field& f) { return f.kind == "IN"; }

// ---- record -------------------------------------------------------------------

TEST_F(ZoGraficConfigTest, GetInfoGivesOneRecordWithItsEntries) {
    void* again = nullptr;
    int32_t size = 0;
    getInfo_(&again, &size);
    EXPECT_EQ(again, options_);
    EXPECT_EQ(size, int32_t(sizeof(TGraficOptions)));
    getInfo_(nullptr, nullptr);  // refused quietly
    EXPECT_EQ(std::string(options_->Description), cp("библиотека графики Orvanta Configurator"));
    // Packed slots are copied out before they are compared.
    const TGraficDrawBlockProc drawEntry = options_->DrawBlock;
    const TGraficReleaseProc releaseEntry = options_->ReleasePicture;
    const TGraficDoneProc doneEntry = options_->GraficDone;
    EXPECT_NE(drawEntry, nullptr);
    EXPECT_NE(releaseEntry, nullptr);
    EXPECT_NE(doneEntry, nullptr);
    // Calling GetInfo again keeps what the kernel wrote into the record.
    const TGetStructTextProc nameAccessor = options_->GetStructName;
    EXPECT_EQ(nameAccessor, hostName);

    EXPECT_EQ(options_->GraficInit(options_), 0);
    EXPECT_EQ(options_->GraficInit(nullptr), -1);
    TGraficOptions other{};
    EXPECT_EQ(options_->GraficInit(&other), -2);
}

// ---- picture and pins at turn 0 ---------------------------------------------------

TEST_F(ZoGraficConfigTest, DrawsWholeCellsWithOnePinPerInAndOutField) {
    void*& picture = newPicture();
    ASSERT_EQ(draw(picture), 0);
    ASSERT_NE(picture, nullptr);
    const QImage& image = imageOf(picture);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    ASSERT_GT(image.width(), 0);
    ASSERT_GT(image.height(), 0);
    EXPECT_EQ(image.width() % 12, 0);
    EXPECT_EQ(image.height() % 12, 0);
    const int wc = image.width() / 12, hc = image.height() / 12;

    // IN fields 0, 1, 6 and OUT field 4, in description order; VAR and plain fields give none.
    const std::vector<TPinRecord> got = pins();
    ASSERT_EQ(got.size(), 4u);
    const std::vector<int16_t> fields = {0, 1, 4, 6};
    std::vector<std::pair<int, int>> cells;
    for (size_t i = 0; i < got.size(); ++i) {
        const TPinRecord& pin = got[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(pin.FieldIndex, fields[i]);
        EXPECT_EQ(pin.LineType, -1);
        const Field& field = block_.fields[size_t(pin.FieldIndex)];
        EXPECT_EQ(pin.X, isIn(field) ? 0 : wc - 1);
        EXPECT_GE(pin.Y, 0);
        EXPECT_LT(pin.Y, hc);
        cells.emplace_back(pin.X, pin.Y);
        // The lead runs across the pin cell in the colour of the pin's type.
        const QColor colour = qcolour(hostColour(field.type.c_str()));
        for (int x : {pin.X * 12, pin.X * 12 + 6, pin.X * 12 + 11})
            EXPECT_EQ(image.pixelColor(x, pin.Y * 12 + 6), colour) << "x " << x;
        EXPECT_EQ(qAlpha(image.pixel(pin.X * 12 + 6, pin.Y * 12)), 0);
    }
    // Pins of one side stay in description order, each in a cell of its own.
    EXPECT_LT(got[0].Y, got[1].Y);
    EXPECT_LT(got[1].Y, got[3].Y);
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(std::adjacent_find(cells.begin(), cells.end()), cells.end());

    // A black frame between the pin columns, everything inside it opaque; the
    // pin columns are transparent outside the leads.
    EXPECT_EQ(image.pixelColor(12, image.height() / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(image.width() - 13, image.height() / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 1), QColor(Qt::black));
    for (int y = 12; y < image.height() - 1; ++y)
        for (int x = 13; x < image.width() - 13; ++x) ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << x << "," << y;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
}

// Every text stays inside the frame, between its lines, written smaller or cut
// short when it does not fit: nothing is drawn round the frame in its rows,
// and the frame's sides go on unbroken through them.
TEST_F(ZoGraficConfigTest, TextsStayInsideTheFrame) {
    for (const char* caption : {"Логическое И", "Очень длинная подпись функционального блока для проверки"}) {
        SCOPED_TRACE(caption);
        block_.caption = cp(caption);
        block_.name = cp("ЛОГИЧЕСКОЕ_И_С_ОЧЕНЬ_ДЛИННЫМ_ИМЕНЕМ");
        void*& picture = newPicture();
        ASSERT_EQ(draw(picture), 0);
        const QImage& image = imageOf(picture);
        const int left = 12, right = image.width() - 13;
        for (int y = 12; y < image.height(); ++y) {
            EXPECT_EQ(image.pixelColor(left, y), QColor(Qt::black)) << y;
            EXPECT_EQ(image.pixelColor(right, y), QColor(Qt::black)) << y;
            if (y % 12 == 5 || y % 12 == 6) continue;  // the pin leads' rows
            for (int x : {left - 1, right + 1}) EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y;
        }
        // The name's row: its text between the frame's top line and the caption's row.
        int dark = 0;
        for (int x = left + 1; x < right; ++x) dark += qGray(image.pixel(x, 17)) < 96;
        EXPECT_GT(dark, 0) << "the caption is written";
    }
}

TEST_F(ZoGraficConfigTest, SizeFollowsPinsCaptionAndLabelInWholeCells) {
    void*& base = newPicture();
    ASSERT_EQ(draw(base), 0);
    const QSize baseSize = imageOf(base).size();

    // One more IN pin on the longer side adds exactly one row.
    block_.fields.push_back({"IN", "D", "Bool"});
    void*& taller = newPicture();
    ASSERT_EQ(draw(taller), 0);
    EXPECT_EQ(imageOf(taller).width(), baseSize.width());
    EXPECT_EQ(imageOf(taller).height(), baseSize.height() + 12);
    EXPECT_EQ(pins().size(), 5u);

    // A label adds its row.
    displayValues_[1] = cp("Насос 1");
    void*& labelled = newPicture();
    ASSERT_EQ(draw(labelled), 0);
    EXPECT_EQ(imageOf(labelled).height(), baseSize.height() + 24);

    // A long caption widens the block, still in whole cells, pins on the new right edge.
    block_.caption = cp("Очень длинная подпись функционального блока для проверки");
    void*& wide = newPicture();
    ASSERT_EQ(draw(wide), 0);
    const QImage& image = imageOf(wide);
    EXPECT_GT(image.width(), baseSize.width());
    EXPECT_EQ(image.width() % 12, 0);
    for (const TPinRecord& pin : pins()) {
        if (!isIn(block_.fields[size_t(pin.FieldIndex)])) {
            EXPECT_EQ(pin.X, image.width() / 12 - 1);
        }
    }

    // A block without pins and without a caption is still a whole-cell picture.
    block_ = {"NOP", "", {{"VAR", "K", "Int"}}};
    void*& empty = newPicture();
    ASSERT_EQ(draw(empty), 0);
    EXPECT_TRUE(pins().empty());
    EXPECT_GE(imageOf(empty).width(), 36);
    EXPECT_EQ(imageOf(empty).width() % 12, 0);
    EXPECT_EQ(imageOf(empty).height() % 12, 0);
}

// ---- the four turns -------------------------------------------------------------

struct TurnCase {
    const char* value;
    int turn;  // the position the value means
};

TEST_F(ZoGraficConfigTest, TurnsPutInputsOnEachSideInTurn) {
    void*& upright = newPicture();
    ASSERT_EQ(draw(upright), 0);
    const QSize uprightSize = imageOf(upright).size();

    const TurnCase cases[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"258", 2}, {"", 0}};
    for (const TurnCase& c : cases) {
        SCOPED_TRACE(std::string("Turn ") + c.value);
        displayValues_[0] = c.value;
        void*& picture = newPicture();
        ASSERT_EQ(draw(picture), 0);
        const QImage& image = imageOf(picture);
        const bool vertical = c.turn == 1 || c.turn == 3;
        EXPECT_EQ(image.size(), vertical ? uprightSize.transposed() : uprightSize);
        const int wc = image.width() / 12, hc = image.height() / 12;

        const std::vector<TPinRecord> got = pins();
        ASSERT_EQ(got.size(), 4u);
        std::vector<int> inAlong;  // position of the IN pins along their side
        for (const TPinRecord& pin : got) {
            const bool in = isIn(block_.fields[size_t(pin.FieldIndex)]);
            ASSERT_TRUE(pin.X >= 0 && pin.X < wc && pin.Y >= 0 && pin.Y < hc);
            // Side of the IN pins per turn: left, top, right, bottom; OUT pins opposite.
            const int side = in ? c.turn : (c.turn + 2) % 4;
            switch (side) {
                case 0: EXPECT_EQ(pin.X, 0); break;
                case 1: EXPECT_EQ(pin.Y, 0); break;
                case 2: EXPECT_EQ(pin.X, wc - 1); break;
                case 3: EXPECT_EQ(pin.Y, hc - 1); break;
            }
            if (in) inAlong.push_back(vertical ? pin.X : pin.Y);
            // The lead crosses the cell towards the body: across for the side pins,
            // down for the top and bottom ones.
            const QColor colour = qcolour(hostColour(block_.fields[size_t(pin.FieldIndex)].type.c_str()));
            for (int along : {0, 6, 11}) {
                const int x = pin.X * 12 + (vertical ? 6 : along);
                const int y = pin.Y * 12 + (vertical ? along : 6);
                EXPECT_EQ(image.pixelColor(x, y), colour) << "pixel " << x << "," << y;
            }
        }
        EXPECT_TRUE(std::is_sorted(inAlong.begin(), inAlong.end()));
        EXPECT_EQ(std::adjacent_find(inAlong.begin(), inAlong.end()), inAlong.end());
    }
}

TEST_F(ZoGraficConfigTest, DisplayWithoutTurnOrLabelDrawsUpright) {
    display_ = {"Display", "", {{"VAR", "Other", "Byte"}}};
    displayValues_ = {"3"};
    void*& picture = newPicture();
    ASSERT_EQ(draw(picture), 0);
    for (const TPinRecord& pin : pins())
        EXPECT_EQ(pin.X, isIn(block_.fields[size_t(pin.FieldIndex)]) ? 0 : imageOf(picture).width() / 12 - 1);
}

// The kernel writes the label of a block with a "Turn" from seven pixels above
// the block's top edge into its first row: that half of the row stays transparent,
// at every turn, and the frame and header band start below it.
TEST_F(ZoGraficConfigTest, ABlockWithATurnLeavesTheKernelsLabelItsHalfRow) {
    for (const char* turn : {"0", "1"}) {
        SCOPED_TRACE(turn);
        displayValues_ = {turn, ""};
        void*& picture = newPicture();
        ASSERT_EQ(draw(picture), 0);
        const QImage& image = imageOf(picture);
        const bool upright = std::string(turn) == "0";
        // Along the middle of the side the label lies over, inwards from the edge.
        auto at = [&](int in) {
            return upright ? image.pixelColor(image.width() / 2, in) : image.pixelColor(in, image.height() / 2);
        };
        for (int in = 0; in < 6; ++in) EXPECT_EQ(at(in).alpha(), 0) << in;
        EXPECT_EQ(at(6), QColor(Qt::black));
        EXPECT_EQ(at(8), QColor(0xC8, 0xDC, 0xFF));
    }
    // Without a "Turn" the kernel writes no label: the frame is the picture's top edge.
    display_ = {"Display", "", {{"VAR", "Other", "Byte"}}};
    displayValues_ = {"0"};
    void*& plain = newPicture();
    ASSERT_EQ(draw(plain), 0);
    EXPECT_EQ(imageOf(plain).pixelColor(imageOf(plain).width() / 2, 0), QColor(Qt::black));
}

// ---- redraw and release -------------------------------------------------------------

TEST_F(ZoGraficConfigTest, RedrawKeepsTheReferenceAndReplacesThePicture) {
    void*& picture = newPicture();
    ASSERT_EQ(draw(picture), 0);
    void* const first = picture;
    const QSize before = imageOf(picture).size();

    displayValues_[0] = "1";
    ASSERT_EQ(draw(picture), 0);
    EXPECT_EQ(picture, first);
    EXPECT_EQ(imageOf(picture).size(), before.transposed());
    EXPECT_EQ(pins().size(), 4u);
}

TEST_F(ZoGraficConfigTest, BlocksOfOneKindGetEqualPicturesThatStayTheirHoldersOwn) {
    void*& first = newPicture();
    void*& second = newPicture();
    ASSERT_EQ(draw(first), 0);
    const std::vector<TPinRecord> firstPins = pins();
    ASSERT_EQ(draw(second), 0);
    ASSERT_NE(first, second);
    EXPECT_EQ(imageOf(second), imageOf(first));
    const std::vector<TPinRecord> secondPins = pins();
    ASSERT_EQ(secondPins.size(), firstPins.size());
    for (size_t i = 0; i < firstPins.size(); ++i)
        EXPECT_EQ(std::memcmp(&secondPins[i], &firstPins[i], sizeof(TPinRecord)), 0);

    // A holder drawing on its picture changes neither the others nor the next one.
    const QImage untouched = imageOf(first).copy();
    static_cast<QImage*>(second)->fill(Qt::black);
    EXPECT_EQ(imageOf(first), untouched);
    void*& third = newPicture();
    ASSERT_EQ(draw(third), 0);
    EXPECT_EQ(imageOf(third), untouched);

    // Another label is another picture.
    displayValues_[1] = cp("Метка");
    void*& labelled = newPicture();
    ASSERT_EQ(draw(labelled), 0);
    EXPECT_NE(imageOf(labelled).size(), untouched.size());
}

TEST_F(ZoGraficConfigTest, ReleaseFreesOnlyItsOwnPicturesAndClearsTheReference) {
    void* picture = nullptr;
    ASSERT_EQ(draw(picture), 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(options_->ReleasePicture(&picture), 0);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(options_->ReleasePicture(&picture), 0);  // nothing left to free
    EXPECT_EQ(options_->ReleasePicture(nullptr), -1);

    // A picture the library did not make is neither freed nor drawn over.
    QImage own(24, 24, QImage::Format_RGB32);
    own.fill(Qt::green);
    void* foreign = &own;
    EXPECT_EQ(options_->ReleasePicture(&foreign), -2);
    EXPECT_EQ(foreign, &own);
    EXPECT_EQ(draw(foreign), -3);
    EXPECT_EQ(foreign, &own);
    EXPECT_EQ(own.size(), QSize(24, 24));
    EXPECT_EQ(own.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(pins_.Count, 0);
}

TEST_F(ZoGraficConfigTest, FinalisationFreesWhatIsLeftAndForgetsIt) {
    void* kept = nullptr;
    void* released = nullptr;
    ASSERT_EQ(draw(kept), 0);
    ASSERT_EQ(draw(released), 0);
    ASSERT_EQ(options_->ReleasePicture(&released), 0);
    EXPECT_EQ(options_->GraficDone(), 1);
    // The stale reference is no longer the library's: refused, not freed twice.
    EXPECT_EQ(options_->ReleasePicture(&kept), -2);
    EXPECT_EQ(options_->GraficDone(), 0);
}

// ---- refusals -------------------------------------------------------------------------

TEST_F(ZoGraficConfigTest, NilArgumentsAreRefused) {
    TStructInstance b = blockPair(), d = displayPair();
    TStructInstance noStruct{nullptr, &blockValues_};
    void* picture = nullptr;
    struct Case {
        const char* what;
        void** picture;
        const TStructInstance* block;
        const TStructInstance* display;
        void* pins;
    };
    const Case cases[] = {
        {"picture address", nullptr, &b, &d, &pins_},
        {"block pair", &picture, nullptr, &d, &pins_},
        {"display pair", &picture, &b, nullptr, &pins_},
        {"pin list", &picture, &b, &d, nullptr},
        {"block structure", &picture, &noStruct, &d, &pins_},
        {"display structure", &picture, &b, &noStruct, &pins_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(options_->DrawBlock(c.picture, c.block, c.display, c.pins), -1);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(pins_.Count, 0);
    }
}

TEST_F(ZoGraficConfigTest, MissingCallbacksAreRefusedAndLogged) {
    const std::pair<const char*, std::function<void(TGraficOptions&)>> cases[] = {
        {"GetStructName", [](TGraficOptions& r) { r.GetStructName = nullptr; }},
        {"GetStructCaption", [](TGraficOptions& r) { r.GetStructCaption = nullptr; }},
        {"GetStructItemCount", [](TGraficOptions& r) { r.GetStructItemCount = nullptr; }},
        {"GetStructItemType", [](TGraficOptions& r) { r.GetStructItemType = nullptr; }},
        {"GetStructItemName", [](TGraficOptions& r) { r.GetStructItemName = nullptr; }},
        {"GetStructItemKind", [](TGraficOptions& r) { r.GetStructItemKind = nullptr; }},
        {"GetStructItemValue", [](TGraficOptions& r) { r.GetStructItemValue = nullptr; }},
        {"FindStructItem", [](TGraficOptions& r) { r.FindStructItem = nullptr; }},
        {"AddMenObjItem", [](TGraficOptions& r) { r.AddMenObjItem = nullptr; }},
        {"GetConnectionTypeColor", [](TGraficOptions& r) { r.GetConnectionTypeColor = nullptr; }},
    };
    for (const auto& [what, unwire] : cases) {
        SCOPED_TRACE(what);
        std::memcpy(options_, &wired_, sizeof wired_);
        unwire(*options_);
        g_log.clear();
        void* picture = nullptr;
        EXPECT_EQ(draw(picture), -2);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(pins_.Count, 0);
        ASSERT_EQ(g_log.size(), 1u);
        EXPECT_EQ(g_log[0].second, 5);
    }
    // Without a log procedure the refusal is silent, and drawing needs none.
    std::memcpy(options_, &wired_, sizeof wired_);
    options_->Log = nullptr;
    options_->FindStructItem = nullptr;
    void* picture = nullptr;
    EXPECT_EQ(draw(picture), -2);
    options_->FindStructItem = hostFind;
    void*& drawn = newPicture();
    EXPECT_EQ(draw(drawn), 0);
}

// A host callback that throws (here the pin list, its memory gone) does not
// cross the C boundary: the entry answers its failure and logs it once.
TEST_F(ZoGraficConfigTest, AThrowingHostCallbackGivesTheFailureResultAndOneLine) {
    options_->AddMenObjItem = [](void*, const void*) -> int32_t { throw std::bad_alloc(); };
    void* picture = nullptr;
    EXPECT_EQ(draw(picture), -8);
    EXPECT_EQ(picture, nullptr);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].first, "ZoGraficConfig DrawBlock: std::bad_alloc");
    EXPECT_EQ(g_log[0].second, 5);
}

TEST_F(ZoGraficConfigTest, AListThatRefusesAPinLeavesThePictureAsItWas) {
    // A new picture is not handed out.
    g_addLimit = 2;
    void* fresh = nullptr;
    EXPECT_EQ(draw(fresh), -7);
    EXPECT_EQ(fresh, nullptr);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].second, 5);

    // A redraw that fails leaves the block's picture as it was.
    g_addLimit = -1;
    void*& picture = newPicture();
    ASSERT_EQ(draw(picture), 0);
    void* const before = picture;
    const QSize sizeBefore = imageOf(picture).size();
    displayValues_[0] = "1";
    g_addLimit = 2;
    EXPECT_EQ(draw(picture), -7);
    EXPECT_EQ(picture, before);
    EXPECT_EQ(imageOf(picture).size(), sizeBefore);
}

TEST_F(ZoGraficConfigTest, UnusableDescriptionsAreRefused) {
    void* picture = nullptr;
    for (int32_t count : {-3, 0x7FFFFFFF}) {
        SCOPED_TRACE(count);
        block_.countOverride = count;
        EXPECT_EQ(draw(picture), -4);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(pins_.Count, 0);
    }
    block_.countOverride.reset();

    // Too many pins for the picture size limit.
    block_.fields.assign(1500, Field{"IN", "X", "Bool"});
    EXPECT_EQ(draw(picture), -5);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(pins_.Count, 0);
}

}  // namespace
