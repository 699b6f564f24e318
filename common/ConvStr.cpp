#include "common/ConvStr.h"

namespace zo {

std::string PadRight(std::string_view text, int width, char fill) {
    std::string out(text);
    const long missing = long(width) - long(text.size());
    if (missing >= 1) out.append(size_t(missing), fill);
    return out;
}

namespace {

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlankOrControl(s[b])) ++b;
    while (e > b && isBlankOrControl(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string collapseBlanks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out.push_back(c);
    }
    return out;
}

}  // namespace

std::string GetDelimField(std::string_view text, char delimiter, int n) {
    if (n < 1) return {};
    std::string work = trim(collapseBlanks(text));
    work.push_back(delimiter);
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        const size_t pos = work.find(delimiter, start);
        if (pos == std::string::npos) return {};
        start = pos + 1;
    }
    const size_t end = work.find(delimiter, start);
    if (end == std::string::npos) return {};
    return trim(std::string_view(work).substr(start, end - start));
}

}  // namespace zo
