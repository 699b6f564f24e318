#include "common/CommandLine.h"

namespace zo {

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool inQuotes = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '"') {
            inWord = true;
            if (inQuotes && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                word.push_back('"');
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string QuoteCommandWord(std::string_view word) {
    std::string quoted = "\"";
    for (const char c : word) {
        quoted.push_back(c);
        if (c == '"') quoted.push_back('"');
    }
    quoted.push_back('"');
    return quoted;
}

std::string CommandWord(std::string_view word) {
    if (!word.empty() && word.find_first_of(" \t\"") == std::string_view::npos) return std::string(word);
    return QuoteCommandWord(word);
}

}  // namespace zo
