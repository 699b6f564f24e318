// The conversion library as a host sees it: loaded from the program folder, used through GetInfo.
#include "common/abi/ConvertOptions.h"
#include "platform/DynLib.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using zo::test::cp;

constexpr uint8_t kSentinel = 0xA5;

class ZoConvertTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const zo::test::LibraryRecord lib = zo::test::LoadLibraryRecord("ZoConvert.so");
        handle_ = lib.handle;
        ASSERT_NE(handle_, nullptr) << zo::platform::lastLibraryError();
        ASSERT_NE(lib.getInfo, nullptr);
        ASSERT_EQ(lib.size, static_cast<int32_t>(sizeof(TConvertOptions)));
        void* again = nullptr;
        int32_t size = 0;
        lib.getInfo(&again, &size);
        ASSERT_EQ(lib.record, again);
        options_ = static_cast<TConvertOptions*>(lib.record);
    }
    static void TearDownTestSuite() {
        zo::platform::unloadLibrary(handle_);
        handle_ = nullptr;
        options_ = nullptr;
    }

    static int32_t toValue(const std::string& type, const std::string& text, void* dest) {
        return options_->TextToValue(type.c_str(), text.c_str(), dest);
    }
    // ValueToText as a caller uses it: the text is copied at once.
    static bool toText(const std::string& type, const void* source, std::string& text) {
        const char* out = nullptr;
        if (options_->ValueToText(type.c_str(), source, &out) != 0) return false;
        if (!out) return false;
        text = out;
        return true;
    }
    static int32_t size(const char* type) { return options_->TypeSize(type); }

    static void* handle_;
    static TConvertOptions* options_;
};

void* ZoConvertTest::handle_ = nullptr;
TConvertOptions* ZoConvertTest::options_ = nullptr;

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        s += buf;
    }
    return s;
}

TEST_F(ZoConvertTest, RecordDescribesTheLibrary) {
    const std::string description(options_->Description, strnlen(options_->Description, 40));
    EXPECT_FALSE(description.empty());
    EXPECT_LT(description.size(), 40u);
    // Slots copied before comparing: the packed record's pointers are not aligned.
    const TTextToValueProc textToValue = options_->TextToValue;
    const TValueToTextProc valueToText = options_->ValueToText;
    const TTypeSizeProc typeSize = options_->TypeSize;
    EXPECT_NE(textToValue, nullptr);
    EXPECT_NE(valueToText, nullptr);
    EXPECT_NE(typeSize, nullptr);
}

TEST_F(ZoConvertTest, TypeSizes) {
    const struct {
        const char* type;
        int32_t size;
    } cases[] = {
        {"Byte", 1},      {"ShortInt", 1},  {"Boolean", 1},     {"Word", 2},           {"SmallInt", 2},
        {"Integer", 4},   {"Cardinal", 4},  {"Color", 4},       {"Single", 4},         {"Double", 8},
        {"String1", 2},   {"String15", 16}, {"String60", 61},   {"String260", 261},    {"String4095", 4096},
        {"word", 2},      {"STRING10", 11}, {"IPAddress", 16},  {"BitIndex", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(size(c.type), c.size) << c.type;
}

TEST_F(ZoConvertTest, UnknownTypesAreRefused) {
    const char* names[] = {"", "Foo", "Int", "Integer2", "String", "String0", "String4096", "String01",
                           "String-1", "String1x", "String 5", " Word", "Str60", "String99999999999"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_LE(size(name), 0);
        uint8_t buf[8];
        std::memset(buf, kSentinel, sizeof buf);
        EXPECT_NE(toValue(name, "1", buf), 0);
        for (uint8_t b : buf) EXPECT_EQ(b, kSentinel);
        const char* out = "untouched";
        EXPECT_NE(options_->ValueToText(name, buf, &out), 0);
        EXPECT_STREQ(out, "untouched");
    }
    EXPECT_LE(options_->TypeSize(nullptr), 0);
    uint8_t buf[4] = {};
    EXPECT_NE(options_->TextToValue(nullptr, "1", buf), 0);
    const char* out = nullptr;
    EXPECT_NE(options_->ValueToText(nullptr, buf, &out), 0);
}

// Text in, bytes stored (and nothing past the type's size), text out, and the text out reads
// back to the same bytes.
TEST_F(ZoConvertTest, ValuesRoundTripThroughText) {
    const struct {
        const char* type;
        std::string text;
        std::vector<uint8_t> bytes;
        std::string canonical;
    } cases[] = {
        {"Byte", "0", {0x00}, "0"},
        {"Byte", "255", {0xFF}, "255"},
        {"Byte", " 42 ", {42}, "42"},
        {"Byte", "+7", {7}, "7"},
        {"Byte", "007", {7}, "7"},
        {"ShortInt", "-128", {0x80}, "-128"},
        {"ShortInt", "127", {0x7F}, "127"},
        {"ShortInt", "-0", {0x00}, "0"},
        {"Boolean", "0", {0}, "0"},
        {"Boolean", "1", {1}, "1"},
        {"Boolean", "True", {1}, "1"},
        {"Boolean", "FALSE", {0}, "0"},
        {"Boolean", " true ", {1}, "1"},
        {"Word", "0", {0, 0}, "0"},
        {"Word", "65535", {0xFF, 0xFF}, "65535"},
        {"Word", "258", {0x02, 0x01}, "258"},
        {"SmallInt", "-32768", {0x00, 0x80}, "-32768"},
        {"SmallInt", "32767", {0xFF, 0x7F}, "32767"},
        {"Integer", "-2147483648", {0x00, 0x00, 0x00, 0x80}, "-2147483648"},
        {"Integer", "2147483647", {0xFF, 0xFF, 0xFF, 0x7F}, "2147483647"},
        {"Integer", "\t-1\t", {0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
        {"Cardinal", "4294967295", {0xFF, 0xFF, 0xFF, 0xFF}, "4294967295"},
        {"Cardinal", "16909060", {0x04, 0x03, 0x02, 0x01}, "16909060"},
        {"Color", "16711680", {0x00, 0x00, 0xFF, 0x00}, "16711680"},
        {"Color", "$FF", {0xFF, 0x00, 0x00, 0x00}, "255"},
        {"Color", "0x0000ff00", {0x00, 0xFF, 0x00, 0x00}, "65280"},
        {"Color", "0X10", {0x10, 0x00, 0x00, 0x00}, "16"},
        {"Color", "$FF000000", {0x00, 0x00, 0x00, 0xFF}, "-16777216"},
        {"Color", "-16777201", {0x0F, 0x00, 0x00, 0xFF}, "-16777201"},
        {"Single", "0.5", {0x00, 0x00, 0x00, 0x3F}, "0.5"},
        {"Single", "1", {0x00, 0x00, 0x80, 0x3F}, "1"},
        {"Single", "-2.25", {0x00, 0x00, 0x10, 0xC0}, "-2.25"},
        {"Single", "0.1", {0xCD, 0xCC, 0xCC, 0x3D}, "0.1"},
        {"Single", "+1.5E1", {0x00, 0x00, 0x70, 0x41}, "15"},
        {"Double", "0.1", {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}, "0.1"},
        {"Double", "1", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F}, "1"},
        {"Double", ".5", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x3F}, "0.5"},
        {"Double", "-0", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}, "-0"},
        {"String5", "abc", {'a', 'b', 'c', 0, 0, 0}, "abc"},
        {"String5", "", {0, 0, 0, 0, 0, 0}, ""},
        {"String3", "abc", {'a', 'b', 'c', 0}, "abc"},
        {"String1", "x", {'x', 0}, "x"},
        {"String5", " a b ", {' ', 'a', ' ', 'b', ' ', 0}, " a b "},
        {"BitIndex", "0", {0}, "0"},
        {"BitIndex", "7", {7}, "7"},
        {"IPAddress", "1.2.3.4", {'1', '.', '2', '.', '3', '.', '4', 0, 0, 0, 0, 0, 0, 0, 0, 0}, "1.2.3.4"},
        {"IPAddress", "255.255.255.255",
         {'2', '5', '5', '.', '2', '5', '5', '.', '2', '5', '5', '.', '2', '5', '5', 0}, "255.255.255.255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " \"" + c.text + "\"");
        const size_t n = c.bytes.size();
        ASSERT_EQ(size(c.type), static_cast<int32_t>(n));
        std::vector<uint8_t> buf(n + 8, kSentinel);
        ASSERT_EQ(toValue(c.type, c.text, buf.data()), 0);
        EXPECT_EQ(hex(std::vector<uint8_t>(buf.begin(), buf.begin() + static_cast<long>(n))), hex(c.bytes));
        for (size_t i = n; i < buf.size(); ++i) EXPECT_EQ(buf[i], kSentinel) << "written past the type at " << i;

        std::string text;
        ASSERT_TRUE(toText(c.type, buf.data(), text));
        EXPECT_EQ(text, c.canonical);

        std::vector<uint8_t> again(n, kSentinel);
        ASSERT_EQ(toValue(c.type, text, again.data()), 0);
        EXPECT_EQ(hex(again), hex(c.bytes));
    }
}

// Floats chosen to need many digits read back to exactly the same bits.
TEST_F(ZoConvertTest, FloatTextIsShortestAndExact) {
    const double doubles[] = {1.0 / 3.0, 2.0 / 3.0, 1e-5, 1e-300, 6.02214076e23, -123456789.125, 5e-324,
                              1.7976931348623157e308, 0.30000000000000004};
    for (double d : doubles) {
        std::string text;
        ASSERT_TRUE(toText("Double", &d, text));
        EXPECT_EQ(text.find(','), std::string::npos) << text;
        double back = 0;
        ASSERT_EQ(toValue("Double", text, &back), 0) << text;
        EXPECT_EQ(std::memcmp(&back, &d, sizeof d), 0) << text;
    }
    const float floats[] = {1.0f / 3.0f, 1e-5f, 3.4028235e38f, -0.1f, 16777216.0f};
    for (float f : floats) {
        std::string text;
        ASSERT_TRUE(toText("Single", &f, text));
        float back = 0;
        ASSERT_EQ(toValue("Single", text, &back), 0) << text;
        EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0) << text;
    }
    const float third = 1.0f / 3.0f;
    std::string text;
    ASSERT_TRUE(toText("Single", &third, text));
    EXPECT_EQ(text, "0.33333334");  // the float's own shortest text, not the double's
}

TEST_F(ZoConvertTest, TextsThatAreNotValuesLeaveTheDestinationUntouched) {
    const struct {
        const char* type;
        std::string text;
    } cases[] = {
        {"Byte", "256"},          {"Byte", "-1"},           {"Byte", "99999999999999999999999999"},
        {"Byte", ""},             {"Byte", "   "},          {"Byte", "1x"},
        {"Byte", "x"},            {"Byte", "- 1"},          {"Byte", "1.0"},
        {"Byte", "1 2"},          {"Byte", "$10"},          {"ShortInt", "128"},
        {"ShortInt", "-129"},     {"Boolean", "2"},         {"Boolean", "-1"},
        {"Boolean", "yes"},       {"Boolean", ""},          {"Word", "65536"},
        {"Word", "-1"},           {"SmallInt", "32768"},    {"SmallInt", "-32769"},
        {"Integer", "2147483648"}, {"Integer", "-2147483649"}, {"Integer", "+-1"},
        {"Integer", "--1"},       {"Integer", "0x10"},      {"Cardinal", "4294967296"},
        {"Cardinal", "-1"},       {"Color", "2147483648"},  {"Color", "$100000000"},
        {"Color", "$"},           {"Color", "0x"},          {"Color", "$G1"},
        {"Color", "-$1"},         {"Color", ""},            {"Single", "1e39"},
        {"Single", "-1e39"},      {"Single", "abc"},        {"Single", "1,5"},
        {"Double", "1e400"},      {"Double", ""},           {"Double", "nan"},
        {"Double", "inf"},        {"Double", "-inf"},       {"Double", "1.5x"},
        {"Double", "0x1p3"},      {"Double", "+-1"},        {"Double", "1,5"},
        {"String3", "abcd"},      {"String1", "ab"},        {"BitIndex", "8"},
        {"BitIndex", "-1"},       {"BitIndex", "9"},        {"IPAddress", "999.1.1.1"},
        {"IPAddress", "1.2.3.256"}, {"IPAddress", "1.2.3"},  {"IPAddress", "1.2.3.4.5"},
        {"IPAddress", "1..2.3"},  {"IPAddress", ""},        {"IPAddress", "a.b.c.d"},
        {"IPAddress", " 1.2.3.4"}, {"IPAddress", "0001.2.3.4"}, {"IPAddress", "1.2.3.4."},
        {"IPAddress", "-1.2.3.4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " \"" + c.text + "\"");
        std::vector<uint8_t> buf(16, kSentinel);
        EXPECT_NE(toValue(c.type, c.text, buf.data()), 0);
        for (uint8_t b : buf) ASSERT_EQ(b, kSentinel);
    }
}

TEST_F(ZoConvertTest, MissingArgumentsAreRefused) {
    uint8_t buf[4] = {1, 2, 3, 4};
    EXPECT_NE(options_->TextToValue("Byte", nullptr, buf), 0);
    EXPECT_EQ(buf[0], 1);
    EXPECT_NE(options_->TextToValue("Byte", "1", nullptr), 0);
    const char* out = nullptr;
    EXPECT_NE(options_->ValueToText("Byte", nullptr, &out), 0);
    EXPECT_NE(options_->ValueToText("Byte", buf, nullptr), 0);
}

TEST_F(ZoConvertTest, StringLimitsAndWindows1251Text) {
    // The longest string type takes exactly its N characters and zero-fills nothing past N + 1.
    std::vector<char> field(4096 + 4, static_cast<char>(kSentinel));
    const std::string longest(4095, 'q');
    ASSERT_EQ(toValue("String4095", longest, field.data()), 0);
    EXPECT_EQ(field[4095], '\0');
    EXPECT_EQ(static_cast<uint8_t>(field[4096]), kSentinel);
    std::string text;
    ASSERT_TRUE(toText("String4095", field.data(), text));
    EXPECT_EQ(text, longest);
    EXPECT_NE(toValue("String4095", longest + "q", field.data()), 0);

    // A shorter text clears the rest of the field.
    ASSERT_EQ(toValue("String4095", "ab", field.data()), 0);
    EXPECT_TRUE(std::all_of(field.begin() + 2, field.begin() + 4096, [](char c) { return c == '\0'; }));

    // Windows-1251 bytes pass unchanged; six Cyrillic letters are six characters.
    const std::string russian = cp("Привет");
    ASSERT_EQ(russian.size(), 6u);
    char six[7];
    ASSERT_EQ(toValue("String6", russian, six), 0);
    ASSERT_TRUE(toText("String6", six, text));
    EXPECT_EQ(text, russian);
    char five[6];
    std::memset(five, kSentinel, sizeof five);
    EXPECT_NE(toValue("String5", russian, five), 0);
    EXPECT_EQ(static_cast<uint8_t>(five[0]), kSentinel);
}

// Values stored by someone else: whatever the bytes, the text never reads past the field.
TEST_F(ZoConvertTest, TextOfStoredBytes) {
    const struct {
        const char* type;
        std::vector<uint8_t> bytes;
        std::string text;
    } cases[] = {
        {"String3", {'a', 'b', 'c', 'd'}, "abc"},  // no terminator in the field
        {"String3", {'a', 0, 'c', 0}, "a"},
        {"Boolean", {2}, "1"},
        {"Color", {0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
        {"Single", {0xAC, 0xC5, 0x27, 0x37}, "1e-05"},
        {"Double", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x40}, "10"},
        {"Double", {0x00, 0x00, 0x00, 0x00, 0x00, 0x88, 0xC3, 0x40}, "10000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::string text;
        ASSERT_TRUE(toText(c.type, c.bytes.data(), text));
        EXPECT_EQ(text, c.text);
    }
}

// Each thread has its own text buffer: a text stays valid while other threads convert.
TEST_F(ZoConvertTest, TextBufferBelongsToTheThread) {
    const uint32_t mine = 123456789;
    const char* out = nullptr;
    ASSERT_EQ(options_->ValueToText("Cardinal", &mine, &out), 0);
    std::thread other([] {
        for (uint32_t i = 0; i < 1000; ++i) {
            const char* text = nullptr;
            ASSERT_EQ(options_->ValueToText("Cardinal", &i, &text), 0);
            ASSERT_EQ(std::string(text), std::to_string(i));
        }
    });
    other.join();
    EXPECT_STREQ(out, "123456789");
}

}  // namespace
