// A project file opened through OpenProject, then saved, turned into a
// configuration file and written as a channel list, then closed. A project
// that opened must save, the streamed file must be the file written through
// the whole document, the saved file must open again, and saving that again
// must write the same file.

#include "common/StringList.h"
#include "kernel/ChannelBase.h"
#include "kernel/ConfigFile.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectOpen.h"
#include "support/FuzzSupport.h"

#include <string>

using namespace zo;
using namespace zo::fuzz;

namespace {

std::string modelSummary() {
    const kernel::KernelState& s = kernel::State();
    return std::string(s.projectName) + "|" + s.deviceFileName + "|" + s.deviceProgram + "|" +
           std::to_string(s.configFileType) + "|" + std::to_string(s.sheets.Count);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartKernel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = ProgramFile("Project/Input.hc");
    const std::string saved = ProgramFile("Project/Saved.hc");
    const std::string again = ProgramFile("Configuration/Saved.hc");
    const std::string cfg = ProgramFile("Configuration/Saved.cfg");
    // The project's name is its file's: the document's file has the same name.
    const std::string document = ProgramFile("Struct/Saved.hc");
    for (const std::string& f : {saved, again, cfg, document, ProgramFile("Struct/Canals.xml")}) RemoveFile(f);
    WriteFile(input, data, size);
    // The last byte answers the question about a block whose description is missing.
    Ui().answer = size && (data[size - 1] & 1) ? platform::Answer::Abort : platform::Answer::Ignore;

    const int opened = OpenProject(input.c_str());
    Note("OpenProject " + std::to_string(opened) + " " + modelSummary());
    ZO_FUZZ_CHECK(opened != 0 || kernel::IsDeviceFileName(kernel::State().deviceFileName),
                  std::string("a project opened with a device file outside the Device folder: ") +
                      kernel::State().deviceFileName);
    int savedResult = -100;
    if (opened == 0) {
        savedResult = SaveProject(saved.c_str());
        Note("SaveProject " + std::to_string(savedResult));
        ZO_FUZZ_CHECK(savedResult == 0, "a project that opened does not save");
        ZO_FUZZ_CHECK(kernel::SaveProjectThroughDocument(document.c_str()) == 0,
                      "a project that opened does not save through the document");
        ZO_FUZZ_CHECK(ReadFile(saved) == ReadFile(document), "the streamed file differs from the document's");
        TStringListTable libraries;
        const int config = CreateConfigFile(cfg.c_str(), "CreateConfig.log", libraries.List());
        Note("CreateConfigFile " + std::to_string(config) + ", " + std::to_string(ReadFile(cfg).size()) + " bytes");
        ZO_FUZZ_CHECK(config == 0 || !FileThere(cfg), "a failed configuration run left a file");
        MemoryStream stream;
        WriteChannelList(stream.Stream());
    }
    CloseProject(input.c_str());

    if (savedResult == 0) {
        Ui().answer = platform::Answer::Ignore;
        const int reopened = OpenProject(saved.c_str());
        Note("OpenProject (saved) " + std::to_string(reopened) + " " + modelSummary());
        ZO_FUZZ_CHECK(reopened == 0, "a saved project does not open again");
        ZO_FUZZ_CHECK(SaveProject(again.c_str()) == 0, "a reopened project does not save");
        CloseProject(saved.c_str());
        ZO_FUZZ_CHECK(ReadFile(saved) == ReadFile(again), "saving a reopened project writes another file");
    }
    ForgetVolatileDescriptions();
    RestoreFolder();
    return 0;
}
