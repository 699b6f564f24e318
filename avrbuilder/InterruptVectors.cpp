#include "avrbuilder/InterruptVectors.h"

#include "avrbuilder/BuildFiles.h"
#include "common/FileUtils.h"
#include "platform/Paths.h"

namespace zo::avr {

namespace {

constexpr size_t kVectorWidth = 25;

struct Vector {
    std::string label;
    std::string comment;
    size_t line = 0;  // index of its line in Lines
};

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

int WriteInterruptVectors(const std::string& uploadFolder, const std::string& deviceInclude,
                          std::vector<std::string>& lines) {
    lines.clear();
    lines.push_back("; This file was created with ZoAVRbuilder.dll");
    std::vector<std::string> source;
    if (!platform::fileExists(deviceInclude) || !ReadTextLines(deviceInclude, source)) return -1;

    std::vector<Vector> vectors;
    std::string previous;
    bool inSection = false;
    for (const std::string& s : source) {
        const size_t n = s.size();
        if (n >= 4 && s[0] == '.' && s.find("INT_VECTORS_SIZE") != std::string::npos) {
            lines.push_back(";****" + s.substr(4, n - 5) + "     ****");
        } else if (n >= 4 && s[0] == ';' && s.find("INTERRUPT VECTORS") != std::string::npos) {
            lines.push_back(s);
            inSection = true;
        } else if (inSection && n > 4 && startsWith(s, ".equ")) {
            const size_t e = s.find(".equ");
            const size_t c = s.find(';');
            // An "=" inside the comment defines nothing: the name would take
            // in the ";" and its jump would assemble as a jump to "i".
            size_t q = s.find('=');
            if (c != std::string::npos && q != std::string::npos && q > c) q = std::string::npos;
            std::string label, value, comment;
            // The whole span on either side of "=": a name or value written
            // without a blank before "=" or ";" keeps its last character.
            if (q != std::string::npos && q > e + 4) label = "i" + TrimControls(s.substr(e + 4, q - e - 4));
            if (q != std::string::npos && c != std::string::npos && c > q)
                value = TrimControls(s.substr(q + 1, c - q - 1));
            if (c != std::string::npos) comment = ";" + value + s.substr(c + 1);
            if (label.size() > 1 && value != previous) {
                if (!value.empty()) lines.push_back(".org " + value);
                lines.push_back(PadRight("reti", kVectorWidth) + comment + "  (" + label + ")");
                vectors.push_back({label, comment, lines.size() - 1});
                previous = value;
            }
        } else {
            inSection = false;
        }
    }

    std::vector<std::string> includes;
    FindFiles(uploadFolder, "*.inc", includes, false);
    for (const std::string& file : includes) {
        std::vector<std::string> text;
        if (!ReadTextLines(file, text)) continue;
        for (const std::string& line : text) {
            for (const Vector& v : vectors) {
                if (startsWith(line, v.label)) lines[v.line] = "rjmp " + PadRight(v.label, kVectorWidth) + v.comment;
            }
        }
    }
    return 0;
}

}  // namespace zo::avr
