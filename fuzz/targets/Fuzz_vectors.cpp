// The interrupt vector table the AVR builder derives from a device definition
// include: its ".equ NAME = address ; text" lines after the "INTERRUPT
// VECTORS" comment, and the handler labels an include file of the upload
// folder starts lines with. An input is the device include, then after a line
// "--file--" the upload folder's include. Every vector line has its ".org"
// before it when it has an address, jumps only to a label a handler line
// starts with, and the table never outgrows the lines it came from.

#include "avrbuilder/InterruptVectors.h"
#include "support/FuzzSupport.h"

#include <filesystem>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::fuzz;

namespace fs = std::filesystem;

namespace {

const std::string kSeparator = "\n--file--\n";

const std::string& folder() {
    static const std::string f = [] {
        const std::string p = Scratch() + "/Vectors";
        fs::create_directories(p + "/Upload");
        return p;
    }();
    return f;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

size_t countLines(const std::string& text) {
    size_t n = 1;
    for (char c : text) n += c == '\n';
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t at = input.find(kSeparator);
    const std::string device = input.substr(0, at);
    const std::string handlers = at == std::string::npos ? std::string() : input.substr(at + kSeparator.size());
    const std::string devicePath = folder() + "/m.inc";
    const std::string handlerPath = folder() + "/Upload/handlers.inc";
    WriteInputFile(devicePath, device);
    if (at == std::string::npos) RemoveFile(handlerPath);
    else WriteInputFile(handlerPath, handlers);

    std::vector<std::string> lines;
    ZO_FUZZ_CHECK(zo::avr::WriteInterruptVectors(folder() + "/Upload", devicePath, lines) == 0,
                  "an existing include gives no table");
    ZO_FUZZ_CHECK(!lines.empty() && startsWith(lines.front(), "; This file was created with"), "no header line");
    ZO_FUZZ_CHECK(lines.size() <= 1 + 2 * countLines(device), "more table lines than the include can give");

    std::vector<std::string> handlerLines;
    {
        size_t start = 0;
        while (start <= handlers.size() && at != std::string::npos) {
            size_t end = handlers.find('\n', start);
            if (end == std::string::npos) end = handlers.size();
            handlerLines.push_back(handlers.substr(start, end - start));
            start = end + 1;
        }
    }
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (startsWith(line, ".org ")) {
            ZO_FUZZ_CHECK(i + 1 < lines.size() && (startsWith(lines[i + 1], "reti") || startsWith(lines[i + 1], "rjmp ")),
                          "an .org line without its vector: " + line);
        } else if (startsWith(line, "rjmp ")) {
            const std::string rest = line.substr(5);
            const std::string label = rest.substr(0, rest.find_first_of(" ;"));
            ZO_FUZZ_CHECK(label.size() > 1 && label[0] == 'i', "a jump to a label that is not a handler's: " + line);
            bool handled = false;
            for (const std::string& h : handlerLines) handled |= startsWith(h, label);
            ZO_FUZZ_CHECK(handled, "a jump to a label no handler line starts with: " + line);
        }
    }
    return 0;
}
