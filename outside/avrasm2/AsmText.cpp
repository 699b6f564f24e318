#include "outside/avrasm2/AsmText.h"

#include <algorithm>
#include <cctype>

namespace zo::avrasm2 {

std::string SemicolonComments(const std::string& line) {
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == '\\' && i + 1 < line.size()) ++i;
            else if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            return line;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            return line.substr(0, i) + ";" + line.substr(i + 2);
        }
    }
    return line;
}

std::string RewriteMessage(const std::string& line) {
    const size_t open = line.find('(');
    const size_t close = open == std::string::npos ? open : line.find(')', open);
    if (close == std::string::npos || close == open + 1) return line;
    const std::string number = line.substr(open + 1, close - open - 1);
    if (!std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c); })) return line;
    const size_t colon = line.find(':', close);
    if (colon == std::string::npos) return line;
    const size_t second = line.find(':', colon + 1);
    if (second == std::string::npos) return line;
    std::string kind = line.substr(colon + 1, second - colon - 1);
    kind.erase(std::remove(kind.begin(), kind.end(), ' '), kind.end());
    std::string level;
    if (kind == "Error") level = "error";
    else if (kind == "Warning") level = "warning";
    else if (kind == "Info" || kind == "Message") level = "note";
    else return line;
    std::string text = line.substr(second + 1);
    text.erase(0, text.find_first_not_of(' '));
    return line.substr(0, open) + ":" + number + ": " + level + ": " + text;
}

Command TranslateArguments(const std::vector<std::string>& args) {
    Command c;
    auto value = [&](size_t& i, const std::string& option) -> std::string {
        if (args[i].size() > option.size()) return args[i].substr(option.size());
        if (i + 1 >= args.size()) {
            c.error = "option " + option + " needs a value";
            return {};
        }
        return args[++i];
    };
    for (size_t i = 0; i < args.size() && c.error.empty(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("-f", 0) == 0) {
            const std::string type = value(i, "-f");
            if (type != "I" && type != "M" && type != "O" && type != "G") c.error = "unknown output format " + type;
            c.avraOptions.push_back("-f" + type);  // avra takes the type in the same argument
        } else if (a.rfind("-o", 0) == 0) {
            c.avraOptions.insert(c.avraOptions.end(), {"-o", value(i, "-o")});
        } else if (a.rfind("-l", 0) == 0) {
            c.avraOptions.insert(c.avraOptions.end(), {"-l", value(i, "-l")});
        } else if (a.rfind("-m", 0) == 0) {
            c.avraOptions.insert(c.avraOptions.end(), {"-m", value(i, "-m")});
        } else if (a.rfind("-e", 0) == 0) {
            c.avraOptions.insert(c.avraOptions.end(), {"-e", value(i, "-e")});
        } else if (a.rfind("-I", 0) == 0) {
            c.avraOptions.insert(c.avraOptions.end(), {"-I", value(i, "-I")});
        } else if (a.rfind("-D", 0) == 0) {
            c.avraOptions.insert(c.avraOptions.end(), {"-D", value(i, "-D")});
        } else if (a.rfind("-W", 0) == 0) {
            // Warning settings of the builder's assembler: avra has its own.
        } else if (!a.empty() && a[0] == '-') {
            c.error = "unknown option " + a;
        } else if (c.source.empty()) {
            c.source = a;
        } else {
            c.error = "more than one source file: " + a;
        }
    }
    if (c.error.empty() && c.source.empty()) c.error = "no source file";
    for (std::string& o : c.avraOptions) std::replace(o.begin(), o.end(), '\\', '/');
    std::replace(c.source.begin(), c.source.end(), '\\', '/');
    return c;
}

}  // namespace zo::avrasm2
