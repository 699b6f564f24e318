// A channel base (Struct\Canals.xml) that another installation, an older
// version or a broken disk left: checked as OpenProject checks it, updated
// as SaveProject updates it for an open project with network channel blocks,
// checked again, and the channel list written. The update must never damage
// the file: a base that did not parse is left as it was, one that parsed
// still parses, and the elements of other projects stay.

#include "common/My_XML.h"
#include "kernel/ChannelBase.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectOpen.h"
#include "platform/Cp1251.h"
#include "support/FuzzSupport.h"

#include <string>
#include <vector>

using namespace zo;
using namespace zo::fuzz;

namespace {

std::string g_projectPath;

// The elements directly under the root other than the project's own, with
// their "File" attributes; empty with ok false when the base does not parse.
std::vector<std::string> otherProjects(const std::string& canals, const std::string& own, bool& ok) {
    std::vector<std::string> out;
    TZo_XML xml;
    ok = xml.OpenFile(canals) == 0;
    if (!ok) return out;
    xml.GoRoot();
    out.push_back("root " + xml.GetNodeName());
    if (xml.GoFirstChild() != 0) return out;
    do {
        const std::string name = xml.GetNodeName();
        if (name != own) out.push_back(name + "=" + xml.GetAttribute("File"));
    } while (xml.GoNextSibling() == 0);
    return out;
}

int check(const std::string& canals) {
    kernel::KernelState& s = kernel::State();
    const std::string base = s.structFolder + "\\Base.xml";
    return kernel::LoadChannelBase(&s.channels, s.structCache, canals.c_str(), base.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartKernel();
    // One project with network channel blocks on two sheets stays open.
    g_projectPath = ProgramFile("Project/Fixture.hc");
    WriteFile(g_projectPath, FixtureProject());
    const int opened = OpenProject(g_projectPath.c_str());
    if (opened != 0) Fail("the fixture project does not open", std::to_string(opened));
    RestoreFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string canals = kernel::State().structFolder + "\\Canals.xml";
    const std::string file = ProgramFile("Struct/Canals.xml");
    WriteFile(file, data, size);
    const std::string before(reinterpret_cast<const char*>(data), size);
    const std::string own = kernel::ChannelElementName(g_projectPath);
    // The last byte answers the question whether another file's node is rewritten.
    Ui().answer = size && (data[size - 1] & 1) ? platform::Answer::Yes : platform::Answer::No;

    bool parsed = false;
    const std::vector<std::string> others = otherProjects(file, own, parsed);
    const int first = check(canals);
    kernel::UpdateChannelBase(g_projectPath);
    const std::string after = ReadFile(file);
    Note("check " + std::to_string(first) + ", parsed " + std::to_string(parsed) + ", changed " +
         std::to_string(after != before));
    if (!parsed || others.front() != "root Orvanta_Canals") {
        ZO_FUZZ_CHECK(after == before, "a file that is not a channel base was rewritten");
    } else if (after != before) {
        // (A base the update left as it was reads as before.)
        bool still = false;
        const std::vector<std::string> othersAfter = otherProjects(file, own, still);
        ZO_FUZZ_CHECK(still, "an updated base does not parse");
        ZO_FUZZ_CHECK(othersAfter == others, "the update changed other projects' elements");
        const int second = check(canals);
        Note("check after the update " + std::to_string(second));
        ZO_FUZZ_CHECK(first != 0 || second == 0, "a base that checked does not check after the update");
    }
    MemoryStream stream;
    ZO_FUZZ_CHECK(WriteChannelList(stream.Stream()) == 0, "the channel list of the fixture is not written");
    RestoreFolder();
    return 0;
}
