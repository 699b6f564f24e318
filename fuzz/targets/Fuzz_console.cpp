// The console runner's text work on what a tool wrote and on the command
// lines the builders put together: output split into lines at CR LF, CR or
// LF, the level of each line, and a command line split into words by its
// quoting rules. Lines hold no line ends and put back together give the text
// again; words quoted again split into the same words.

#include "configurator/shell/ZoConsole.h"
#include "support/FuzzSupport.h"

#include <string>
#include <string_view>
#include <vector>

using namespace zo;
using namespace zo::configurator;
using namespace zo::fuzz;

namespace {

// CR LF and a lone CR as LF.
std::string normalised(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

void outputLines(std::string_view text) {
    const std::vector<std::string> lines = SplitOutputLines(text);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        ZO_FUZZ_CHECK(lines[i].find_first_of("\r\n") == std::string::npos, "a line holds a line end");
        if (i) joined.push_back('\n');
        joined += lines[i];
        const uint8_t level = ConsoleLineLevel(lines[i]);
        ZO_FUZZ_CHECK(level == 1 || level == 2 || level == 3 || level == 5, lines[i]);
        std::string upper = lines[i];
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        ZO_FUZZ_CHECK(ConsoleLineLevel(upper) == level, "a line's level depends on its case");
    }
    const std::string expected = normalised(text);
    if (!lines.empty() && !expected.empty() && expected.back() == '\n') joined.push_back('\n');
    ZO_FUZZ_CHECK(joined == expected, "the lines put together are not the text");
}

std::string quote(const std::string& word) {
    std::string out = "\"";
    for (char c : word) {
        out.push_back(c);
        if (c == '"') out.push_back('"');
    }
    return out + "\"";
}

void commandLine(std::string_view text) {
    const std::vector<std::string> words = SplitCommandLine(text);
    ZO_FUZZ_CHECK(words.size() <= text.size(), "more words than characters");
    std::string again;
    for (const std::string& word : words) {
        ZO_FUZZ_CHECK(word.size() <= text.size(), word);
        if (!again.empty()) again.push_back(' ');
        again += quote(word);
    }
    ZO_FUZZ_CHECK(SplitCommandLine(again) == words, "quoted words split differently: " + again);
    // A word without blanks, tabs or quotes is itself when written bare.
    std::string bare;
    bool plain = true;
    for (const std::string& word : words) {
        if (word.empty() || word.find_first_of(" \t\"") != std::string::npos) plain = false;
        bare += (bare.empty() ? "" : "\t") + word;
    }
    if (plain) ZO_FUZZ_CHECK(SplitCommandLine(bare) == words, "bare words split differently: " + bare);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    outputLines(text);
    commandLine(text);
    return 0;
}
