#pragma once
// Windows-1251 is the text of the system: the kernel and every library boundary
// keep single-byte strings. These are the only conversions to UTF-8 and QString.

#include <QString>

#include <string>
#include <string_view>

namespace zo::platform {

// UTF-8 -> Windows-1251. A character that Windows-1251 lacks becomes '?' and
// *lossless (when given) is set to false, so callers can refuse such text.
std::string utf8ToCp1251(std::string_view utf8, bool* lossless = nullptr);
std::string cp1251ToUtf8(std::string_view text);

QString cp1251ToQString(std::string_view text);
std::string qstringToCp1251(const QString& text, bool* lossless = nullptr);
// Windows-1251 with every character it lacks, and every control character,
// written as "<U+XXXX>" (its code point), so that a message can name such
// text readably.
std::string readableCp1251(const QString& text);

}  // namespace zo::platform

// A Russian literal of the sources (UTF-8) as Windows-1251, converted once.
#define ZO_RU(literal)                                                               \
    ([]() -> const std::string& {                                                    \
        static const std::string converted_ = ::zo::platform::utf8ToCp1251(literal); \
        return converted_;                                                           \
    }())
