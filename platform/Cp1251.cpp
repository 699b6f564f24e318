#include "platform/Cp1251.h"

#include <QList>
#include <QStringDecoder>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include <cstdio>

namespace zo::platform {

namespace {

// Length of the UTF-8 sequence that starts with byte c (1 for a stray byte).
size_t utf8SequenceLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

bool isAscii(std::string_view in) {
    for (char c : in)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

std::string convert(const Converter& conv, std::string_view in, bool* lossless, bool fromUtf8) {
    if (lossless) *lossless = true;
    if (isAscii(in)) return std::string(in);
    std::string out;
    if (!conv.valid()) {
        if (lossless) *lossless = false;
        return out;
    }
    iconv_t cd = conv.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> inBuf(in.begin(), in.end());
    char* src = inBuf.data();
    size_t srcLeft = inBuf.size();
    std::vector<char> buf(in.size() * 4 + 16);
    while (srcLeft > 0) {
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), buf.size() - dstLeft);
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: a character that cannot be converted; show it as '?'.
        if (lossless) *lossless = false;
        out.push_back('?');
        const size_t skip = fromUtf8 ? std::min(srcLeft, utf8SequenceLength(static_cast<unsigned char>(*src))) : 1;
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace

std::string utf8ToCp1251(std::string_view utf8, bool* lossless) {
    thread_local Converter conv("WINDOWS-1251", "UTF-8");
    return convert(conv, utf8, lossless, true);
}

std::string cp1251ToUtf8(std::string_view text) {
    thread_local Converter conv("UTF-8", "WINDOWS-1251");
    return convert(conv, text, nullptr, false);
}

QString cp1251ToQString(std::string_view text) {
    QStringDecoder decoder("windows-1251");
    if (!decoder.isValid()) {
        const std::string utf8 = cp1251ToUtf8(text);
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

std::string qstringToCp1251(const QString& text, bool* lossless) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1251(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), lossless);
}

std::string readableCp1251(const QString& text) {
    std::string out;
    for (const uint c : text.toUcs4()) {
        const char32_t point = char32_t(c);
        const QString one = QString::fromUcs4(&point, 1);
        bool lossless = true;
        const std::string converted = qstringToCp1251(one, &lossless);
        const bool control = c < 0x20 || c == 0x7F;
        if (lossless && !control) {
            out += converted;
            continue;
        }
        char code[16];
        std::snprintf(code, sizeof code, "<U+%04X>", unsigned(c));
        out += code;
    }
    return out;
}

}  // namespace zo::platform
