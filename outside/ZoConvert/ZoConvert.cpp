// Stand-in for the product's outside conversion library ZoConvert (typed values to and from text).
//
// Types (names matched without regard to case):
//   Byte, ShortInt, Boolean, Word, SmallInt, Integer, Cardinal  integers of 1, 1, 1, 2, 2, 4, 4 bytes
//   Color   4-byte signed colour 0x00BBGGRR; decimal text, input also "$hex" and "0xhex"
//   Single, Double  4- and 8-byte floats; '.' as decimal separator, shortest text that reads back
//   StringN (N = 1..4095)  N + 1 bytes of zero-terminated Windows-1251 text of at most N characters
//   IPAddress  16 bytes of text as String15 holding an IPv4 address "a.b.c.d" (each part 0..255)
//   BitIndex   1 byte, the number of a bit of an 8-bit port: 0..7
// Text is read and written the same way in every locale. A text that is not a value of its
// type leaves the destination untouched; nothing is written past the type's size.

#include "common/SlotBarrier.h"
#include "common/abi/ConvertOptions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <system_error>

namespace {

// Results of TextToValue and ValueToText.
constexpr int32_t kOk = 0;
constexpr int32_t kUnknownType = -1;
constexpr int32_t kNotAValue = -2;
constexpr int32_t kMissingArgument = -3;

constexpr int32_t kMaxStringLength = 4095;

enum class Kind {
    Unknown, Byte, ShortInt, Boolean, Word, SmallInt, Integer, Cardinal, Color, Single, Double, String, IPAddress, BitIndex
};

struct TypeInfo {
    Kind kind = Kind::Unknown;
    int32_t size = 0;
    int32_t length = 0;  // StringN: N
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

TypeInfo lookup(const char* typeName) {
    if (!typeName) return {};
    const std::string_view name(typeName);
    struct Fixed {
        const char* name;
        Kind kind;
        int32_t size;
    };
    static constexpr Fixed kFixed[] = {
        {"Byte", Kind::Byte, 1},         {"ShortInt", Kind::ShortInt, 1}, {"Boolean", Kind::Boolean, 1},
        {"Word", Kind::Word, 2},         {"SmallInt", Kind::SmallInt, 2}, {"Integer", Kind::Integer, 4},
        {"Cardinal", Kind::Cardinal, 4}, {"Color", Kind::Color, 4},       {"Single", Kind::Single, 4},
        {"Double", Kind::Double, 8},     {"BitIndex", Kind::BitIndex, 1},
    };
    for (const Fixed& f : kFixed)
        if (equalsNoCase(name, f.name)) return {f.kind, f.size, 0};
    if (equalsNoCase(name, "IPAddress")) return {Kind::IPAddress, 16, 15};

    // StringN: N written in decimal without leading zeros, 1..4095.
    constexpr std::string_view kString = "String";
    if (!startsWithNoCase(name, kString)) return {};
    const std::string_view digits = name.substr(kString.size());
    if (digits.empty() || digits.size() > 4 || digits[0] == '0') return {};
    int32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return {};
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > kMaxStringLength) return {};
    return {Kind::String, n + 1, n};
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Optional sign and decimal digits, within [minValue, maxValue].
bool parseInteger(std::string_view text, int64_t minValue, int64_t maxValue, int64_t& value) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    uint64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
        if (magnitude > (uint64_t{1} << 40)) return false;  // far beyond every type's range
    }
    const int64_t signedValue = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (signedValue < minValue || signedValue > maxValue) return false;
    value = signedValue;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A colour: decimal 32-bit signed, or "$hex" / "0xhex" of at most 32 bits (its bit pattern).
bool parseColor(std::string_view text, int32_t& value) {
    const std::string_view t = trimmed(text);
    std::string_view hex;
    if (!t.empty() && t.front() == '$') hex = t.substr(1);
    else if (startsWithNoCase(t, "0x")) hex = t.substr(2);
    else {
        int64_t v = 0;
        if (!parseInteger(t, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v))
            return false;
        value = static_cast<int32_t>(v);
        return true;
    }
    if (hex.empty()) return false;
    uint64_t bits = 0;
    for (char c : hex) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        bits = bits * 16 + static_cast<uint64_t>(d);
        if (bits > 0xFFFFFFFFu) return false;
    }
    const uint32_t pattern = static_cast<uint32_t>(bits);
    std::memcpy(&value, &pattern, sizeof value);
    return true;
}

// Four decimal parts of one to three digits, each 0..255, joined by '.'.
bool isIPv4Address(std::string_view text) {
    int parts = 0;
    while (true) {
        size_t digits = 0;
        int value = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + (text[digits] - '0');
            if (++digits > 3) return false;
        }
        if (digits == 0 || value > 255) return false;
        text.remove_prefix(digits);
        if (++parts == 4) return text.empty();
        if (text.empty() || text.front() != '.') return false;
        text.remove_prefix(1);
    }
}

bool parseBoolean(std::string_view text, uint8_t& value) {
    const std::string_view t = trimmed(text);
    if (equalsNoCase(t, "true")) {
        value = 1;
        return true;
    }
    if (equalsNoCase(t, "false")) {
        value = 0;
        return true;
    }
    int64_t v = 0;
    if (!parseInteger(t, 0, 1, v)) return false;
    value = static_cast<uint8_t>(v);
    return true;
}

// A finite float in plain or exponent form with '.' as separator, optional sign.
template <typename Float>
bool parseFloat(std::string_view text, Float& value) {
    std::string_view t = trimmed(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        if (!t.empty() && t.front() == '-') return false;
    }
    if (t.empty()) return false;
    // from_chars also reads "inf" and "nan"; a value must be a finite number.
    const char first = t.front() == '-' && t.size() > 1 ? t[1] : t.front();
    if (!(first == '.' || (first >= '0' && first <= '9'))) return false;
    Float v{};
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

template <typename T>
void store(void* destination, T value) {
    std::memcpy(destination, &value, sizeof value);
}

template <typename T>
T load(const void* source) {
    T value;
    std::memcpy(&value, source, sizeof value);
    return value;
}

// The text buffer ValueToText hands out: valid until the thread's next call.
thread_local char t_text[kMaxStringLength + 64];

int32_t textToValue(const char* typeName, const char* text, void* destination) {
    const TypeInfo type = lookup(typeName);
    if (type.kind == Kind::Unknown) return kUnknownType;
    if (!text || !destination) return kMissingArgument;
    const std::string_view t(text);
    int64_t v = 0;
    switch (type.kind) {
    case Kind::Byte:
        if (!parseInteger(t, 0, UINT8_MAX, v)) return kNotAValue;
        store(destination, static_cast<uint8_t>(v));
        return kOk;
    case Kind::ShortInt:
        if (!parseInteger(t, INT8_MIN, INT8_MAX, v)) return kNotAValue;
        store(destination, static_cast<int8_t>(v));
        return kOk;
    case Kind::Boolean: {
        uint8_t b = 0;
        if (!parseBoolean(t, b)) return kNotAValue;
        store(destination, b);
        return kOk;
    }
    case Kind::Word:
        if (!parseInteger(t, 0, UINT16_MAX, v)) return kNotAValue;
        store(destination, static_cast<uint16_t>(v));
        return kOk;
    case Kind::SmallInt:
        if (!parseInteger(t, INT16_MIN, INT16_MAX, v)) return kNotAValue;
        store(destination, static_cast<int16_t>(v));
        return kOk;
    case Kind::Integer:
        if (!parseInteger(t, INT32_MIN, INT32_MAX, v)) return kNotAValue;
        store(destination, static_cast<int32_t>(v));
        return kOk;
    case Kind::Cardinal:
        if (!parseInteger(t, 0, UINT32_MAX, v)) return kNotAValue;
        store(destination, static_cast<uint32_t>(v));
        return kOk;
    case Kind::Color: {
        int32_t c = 0;
        if (!parseColor(t, c)) return kNotAValue;
        store(destination, c);
        return kOk;
    }
    case Kind::Single: {
        float f = 0;
        if (!parseFloat(t, f)) return kNotAValue;
        store(destination, f);
        return kOk;
    }
    case Kind::Double: {
        double d = 0;
        if (!parseFloat(t, d)) return kNotAValue;
        store(destination, d);
        return kOk;
    }
    case Kind::BitIndex:
        if (!parseInteger(t, 0, 7, v)) return kNotAValue;
        store(destination, static_cast<uint8_t>(v));
        return kOk;
    case Kind::IPAddress:
        if (!isIPv4Address(t)) return kNotAValue;
        [[fallthrough]];
    case Kind::String: {
        const size_t length = strnlen(text, static_cast<size_t>(type.length) + 1);
        if (length > static_cast<size_t>(type.length)) return kNotAValue;
        char* field = static_cast<char*>(destination);
        std::memcpy(field, text, length);
        std::memset(field + length, 0, static_cast<size_t>(type.size) - length);
        return kOk;
    }
    case Kind::Unknown:
        break;
    }
    return kUnknownType;
}

template <typename T>
void formatNumber(T value) {
    const auto result = std::to_chars(t_text, t_text + sizeof t_text - 1, value);
    *result.ptr = '\0';
}

int32_t valueToText(const char* typeName, const void* source, const char** text) {
    const TypeInfo type = lookup(typeName);
    if (type.kind == Kind::Unknown) return kUnknownType;
    if (!source || !text) return kMissingArgument;
    switch (type.kind) {
    case Kind::Byte:
    case Kind::BitIndex: formatNumber(load<uint8_t>(source)); break;
    case Kind::ShortInt: formatNumber(load<int8_t>(source)); break;
    case Kind::Boolean: formatNumber(load<uint8_t>(source) != 0 ? 1 : 0); break;
    case Kind::Word: formatNumber(load<uint16_t>(source)); break;
    case Kind::SmallInt: formatNumber(load<int16_t>(source)); break;
    case Kind::Integer:
    case Kind::Color: formatNumber(load<int32_t>(source)); break;
    case Kind::Cardinal: formatNumber(load<uint32_t>(source)); break;
    case Kind::Single: formatNumber(load<float>(source)); break;
    case Kind::Double: formatNumber(load<double>(source)); break;
    case Kind::String:
    case Kind::IPAddress: {
        // A field without its terminator gives its first N characters; nothing past the field is read.
        const char* field = static_cast<const char*>(source);
        const size_t length = strnlen(field, static_cast<size_t>(type.length));
        std::memcpy(t_text, field, length);
        t_text[length] = '\0';
        break;
    }
    case Kind::Unknown: return kUnknownType;
    }
    *text = t_text;
    return kOk;
}

int32_t typeSize(const char* typeName) { return lookup(typeName).size; }

TConvertOptions g_options = {
    "ZoConvert: typed values and text",
    {0, 0, 0, 0},
    zo::SlotBarrier<zo::ReportSlotFailureToStderr, "TextToValue", textToValue, kNotAValue>::Call,
    zo::SlotBarrier<zo::ReportSlotFailureToStderr, "ValueToText", valueToText, kNotAValue>::Call,
    zo::SlotBarrier<zo::ReportSlotFailureToStderr, "TypeSize", typeSize, 0>::Call,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    if (record) *record = &g_options;
    if (size) *size = static_cast<int32_t>(sizeof(TConvertOptions));
}
