#pragma once
// A program folder for builds: the device description Fix.dev (its BUILD
// element chosen by the test), the shipped ATmega128 runtime, the converter and
// the assembler of the built program folder in Utility/ (and "noimage", which
// runs and writes nothing), and a host whose configuration callback writes a
// simplified configuration file of the blocks the test gives.

#include "BuildHost.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace zo::test {

inline const char* const kDefaultBuild =
    R"(<BUILD CMD="avrasm2 -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/><DEVICE FILE="m128def.inc"/><COPY FILE="macros.inc"/></BUILD>)";

class AvrFixture {
public:
    explicit AvrFixture(const std::string& project = "Demo");
    void writeDevice(const std::string& buildElement);
    std::string p() const { return dir_.str(); }
    std::string upload() const { return p() + "/Upload"; }
    std::string runtime() const { return p() + "/Runtime/Mega128"; }
    std::string inUpload(const std::string& name) const { return upload() + "/" + name; }

    BuildHost host;
    // Blocks of the configuration file: each its bytes after the length byte.
    std::vector<std::string> blocks;
    uint8_t nets = 3;
    std::vector<std::string> codeFiles = {"logic.inc"};
    int32_t configResult = 0;
    std::string configBytes;  // when set, written instead of the blocks

private:
    TempDir dir_;
};

// A simplified configuration file: the controller header, the net count, the
// blocks and the end marker.
std::string SimplifiedConfig(uint8_t nets, const std::vector<std::string>& blocks);

}  // namespace zo::test
