#include "platform/Cp1251.h"

#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace zo::platform {

namespace {

// Length of the UTF-8 sequence that starts with byte c (1 for a stray byte).
size_t utf8SequenceLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

std::string convert(const char* to, const char* from, std::string_view in, bool* lossless, bool fromUtf8) {
    if (lossless) *lossless = true;
    std::string out;
    if (in.empty()) return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (lossless) *lossless = false;
        return out;
    }
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
    iconv_close(cd);
    return out;
}

}  // namespace

std::string utf8ToCp1251(std::string_view utf8, bool* lossless) {
    return convert("WINDOWS-1251", "UTF-8", utf8, lossless, true);
}

std::string cp1251ToUtf8(std::string_view text) { return convert("UTF-8", "WINDOWS-1251", text, nullptr, false); }

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

}  // namespace zo::platform
