#include "AvrFixture.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zo::test {

std::string SimplifiedConfig(uint8_t nets, const std::vector<std::string>& blocks) {
    std::string bytes(145, '\0');
    bytes.back() = 1;  // bus address
    bytes.push_back(char(nets));
    for (const std::string& b : blocks) bytes += char(b.size() + 1) + b;
    bytes.push_back('\0');
    return bytes;
}

AvrFixture::AvrFixture(const std::string& project) {
    const fs::path built(ZO_PROGRAM_DIR);
    for (const char* d : {"Device", "Configuration", "Upload", "Utility", "Runtime"}) fs::create_directory(dir_.path() / d);
    fs::copy(built / "Runtime" / "Mega128", dir_.path() / "Runtime" / "Mega128", fs::copy_options::recursive);
    for (const char* tool : {"Kelvart", "avrasm2"})
        fs::create_symlink(built / "Utility" / tool, dir_.path() / "Utility" / tool);
    writeBytes(p() + "/Utility/noimage", "#!/bin/sh\nexit 0\n");
    fs::permissions(p() + "/Utility/noimage", fs::perms::owner_all);
    writeDevice(kDefaultBuild);

    blocks = {std::string("\x00\x01\x02\x01\x00", 5)};  // AND of nets 0 and 1 into net 2
    host.createConfig = [this](const std::string& cfgPath, std::vector<std::string>& libraries) {
        if (configResult != 0) return configResult;
        std::string native = cfgPath;
        for (char& c : native)
            if (c == '\\') c = '/';
        writeBytes(native, configBytes.empty() ? SimplifiedConfig(nets, blocks) : configBytes);
        libraries = codeFiles;
        return 0;
    };
    BuildHost::set(host.params.ProjectName, sizeof host.params.ProjectName, project);
    BuildHost::set(host.params.DeviceFilePath, sizeof host.params.DeviceFilePath, "\\Device\\Fix.dev");
    BuildHost::set(host.params.DeviceProgram, sizeof host.params.DeviceProgram, "Mega128");
    host.params.ConfigFileType = 2;
    BuildHost::set(host.params.ProgramFolder, sizeof host.params.ProgramFolder, p());
    BuildHost::set(host.params.DeviceFolder, sizeof host.params.DeviceFolder, p() + "\\Device");
    BuildHost::set(host.params.DeviceRuntimeFolder, sizeof host.params.DeviceRuntimeFolder, p() + "\\Runtime\\");
    BuildHost::set(host.params.ConfigurationFolder, sizeof host.params.ConfigurationFolder, p() + "\\Configuration");
    BuildHost::set(host.params.UploadFolder, sizeof host.params.UploadFolder, p() + "\\Upload");
}

void AvrFixture::writeDevice(const std::string& buildElement) {
    writeBytes(p() + "/Device/Fix.dev", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                        "<Micro NAME=\"Fix\" Program=\"Mega128\" ConfigFileType=\"2\" "
                                        "Builder=\"ZoAVRbuilder.so\">" +
                                            buildElement + "</Micro>\n");
}

}  // namespace zo::test
