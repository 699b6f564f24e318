// A device description file: a new project made for it through NewProject,
// its header shown and read through the device accessors, then the project
// (one sheet) saved, opened again and turned into a configuration file. A
// project made for a device must save and open again with the same header.

#include "common/Struct.h"
#include "kernel/ConfigFile.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelStart.h"
#include "kernel/KernelState.h"
#include "kernel/NewProject.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectOpen.h"
#include "kernel/Sheets.h"
#include "support/FuzzSupport.h"

#include <cstring>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::fuzz;

namespace {

int32_t showProperties(const char*, int32_t, const TStructInstance* items, TPropertiesChangedProc, int32_t, int32_t, int32_t,
                       int32_t) {
    // The inspector reads every row of what it is shown.
    const TStruct* header = items ? static_cast<const TStruct*>(items->Struct) : nullptr;
    if (header) (void)RecordTexts(*header, items->Data);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartKernel();
    kernel::Options().Inspector.ShowElementProperties = showProperties;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string device = ProgramFile("Device/Fuzz.dev");
    const std::string saved = ProgramFile("Project/Device.hc");
    const std::string cfg = ProgramFile("Configuration/Device.cfg");
    for (const std::string& f : {saved, cfg, ProgramFile("Struct/Canals.xml")}) RemoveFile(f);
    WriteFile(device, data, size);

    const int created = NewProject(Cp("Проверка устройства").c_str(), "Fuzz.dev");
    Note("NewProject " + std::to_string(created));
    if (created == 0) {
        const std::string path = GetDeviceFilePath();
        ZO_FUZZ_CHECK(path.size() <= 260, path);
        ZO_FUZZ_CHECK(std::strlen(GetDeviceProgram()) <= 60, GetDeviceProgram());
        (void)GetDeviceRuntimeFolder();
        ZO_FUZZ_CHECK(EditProjectHeader() == 0, "the header of a new project cannot be shown");
        AddSheet();

        TStruct* header = kernel::HeaderDescription();
        ZO_FUZZ_CHECK(header != nullptr, "a new project's header description is gone");
        const std::vector<std::string> stored = StoredTexts(*header, kernel::State().headerRecord);
        const uint8_t type = kernel::State().configFileType;
        const int savedResult = SaveProject(saved.c_str());
        Note("SaveProject " + std::to_string(savedResult));
        ZO_FUZZ_CHECK(savedResult == 0, "a new project does not save");
        CloseProject(saved.c_str());

        const int opened = OpenProject(saved.c_str());
        Note("OpenProject " + std::to_string(opened));
        ZO_FUZZ_CHECK(opened == 0, "a new project does not open again");
        ZO_FUZZ_CHECK(kernel::State().configFileType == type, "the configuration file type changed");
        const std::string differences = CompareStored(*header, stored, kernel::State().headerRecord);
        ZO_FUZZ_CHECK(differences.empty(), differences);
        const int config = CreateConfigFile(cfg.c_str(), "CreateConfig.log", nullptr);
        Note("CreateConfigFile " + std::to_string(config));
        ZO_FUZZ_CHECK(config == 0 || !FileThere(cfg), "a failed configuration run left a file");
    }
    CloseProject("");
    ForgetVolatileDescriptions();
    RestoreFolder();
    return 0;
}
