#include "configurator/shell/Options.h"

#include "configurator/link/OptionBlockLink.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/VisibleOptionsLink.h"
#include "common/My_XML.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace zo::configurator {

TProgramOptionBlocks& ProgramOptionBlocks() {
    static TProgramOptionBlocks blocks = [] {
        TProgramOptionBlocks made{};
        // A display block of zeros would show a black sheet without a grid when
        // the options file is missing: it starts at the painter's own look.
        static_assert(sizeof made.Visible == sizeof kDefaultVisibleOptions);
        std::memcpy(made.Visible, &kDefaultVisibleOptions, sizeof made.Visible);
        return made;
    }();
    return blocks;
}

int32_t GetOptionBlock(const char* name, void** data, int32_t* size, int32_t* reserved) {
    if (!name || !data || !size || !reserved) return -1;
    TProgramOptionBlocks& b = ProgramOptionBlocks();
    auto give = [&](void* block, int32_t blockSize) {
        *data = block;
        *size = blockSize;
        *reserved = 0;
        return 0;
    };
    if (std::strcmp(name, "ConfiguratorUpdate") == 0) return give(b.Update, kUpdateBlockSize);
    if (std::strcmp(name, "ConfiguratorVisible") == 0) return give(b.Visible, kVisibleBlockSize);
    if (std::strcmp(name, "ConfiguratorConnect") == 0) return give(&b.Connect, int32_t(sizeof(TProxySettings)));
    return KernelOptionBlock(name, data, size, reserved);
}

namespace {

struct Walk {
    TZo_XML& xml;
    std::string descriptionPrefix;  // <options file>/OPTIONS/STRUCT/
    std::string valuePrefix;        // <settings path>/
    TOptionBlockLookup lookup;
    TOptionBlockProc transfer;
    bool failed = false;

    // The children of the current element, in document order.
    void level() {
        if (xml.GoFirstChild() != 0) return;
        do {
            if (xml.GetNodeName() != "TREENODE") continue;
            const std::string name = xml.GetAttribute("NAME");
            const std::string block = xml.GetAttribute("STRUCT");
            if (!name.empty() && !block.empty()) {
                void* data = nullptr;
                int32_t size = 0;
                int32_t reserved = 0;
                if (lookup(block.c_str(), &data, &size, &reserved) == 0 && data) {
                    if (transfer((descriptionPrefix + block).c_str(), (valuePrefix + block).c_str(), data, size) != 0)
                        failed = true;
                }
            }
            level();
        } while (xml.GoNextSibling() == 0);
        xml.GoParent();
    }
};

int32_t walkOptions(const char* optionsFile, const char* settingsPath, TOptionBlockLookup lookup,
                    TOptionBlockProc transfer) {
    if (!optionsFile || !settingsPath || !lookup || !transfer) return kOptionsNilArgument;
    if (std::strlen(settingsPath) > kMaxSettingsPath) return kOptionsNilArgument;
    TZo_XML xml;
    xml.CreateDom();
    if (xml.OpenFile(optionsFile) != 0) return kOptionsFileNotOpened;
    xml.GoRoot();
    xml.SetMark();
    if (xml.CountFromMark("MENU") != 1 || xml.FindFromMark("MENU") != 0) return kOptionsBadFileOrTransfer;
    Walk walk{xml, std::string(optionsFile) + "/OPTIONS/STRUCT/", std::string(settingsPath) + "/", lookup, transfer};
    walk.level();
    return walk.failed ? kOptionsBadFileOrTransfer : 0;
}

std::string structFolder(const TProjectSession& session) {
    if (!session.Bound()) return "Struct\\";
    std::string text = session.FolderText(KernelFolder::Struct);
    if (!text.empty() && text.back() != '\\' && text.back() != '/') text += '\\';
    return text;
}

}  // namespace

int32_t LoadOptionBlocks(const char* optionsFile, const char* settingsPath, TOptionBlockLookup lookup,
                         TOptionBlockProc load) {
    return walkOptions(optionsFile, settingsPath, lookup, load);
}

bool PrepareSettingsFile(const std::string& settingsPath) {
    const size_t slash = settingsPath.rfind('/');
    if (slash == std::string::npos || slash == 0) return false;
    const std::string file = platform::nativePath(platform::withCurrentDir(settingsPath.substr(0, slash)));
    const std::string root = settingsPath.substr(slash + 1);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<" + root + "/>\n";
        const bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
        ::close(fd);
        if (!ok) ::unlink(file.c_str());
        return ok;
    }
    struct stat st{};
    if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if ((st.st_mode & 077) == 0) return true;
    return ::chmod(file.c_str(), st.st_mode & 07700) == 0;
}

int32_t SaveOptionBlocks(const char* optionsFile, const char* settingsPath, TOptionBlockLookup lookup,
                         TOptionBlockProc save) {
    if (settingsPath && std::strlen(settingsPath) <= kMaxSettingsPath) PrepareSettingsFile(settingsPath);
    return walkOptions(optionsFile, settingsPath, lookup, save);
}

TOptionsRect OptionsDialogRect(int screenWidth, int screenHeight) {
    const int w = std::min(screenWidth / 2, 600);
    const int h = std::min(screenHeight / 2, 300);
    return {screenWidth / 2 - w / 2, screenHeight / 2 - h / 2, screenWidth / 2 + w / 2, screenHeight / 2 + h / 2};
}

bool HandVisibleOptionsToKernel(const TProjectSession& session) {
    return HandVisibleOptions(session.Record(), ProgramOptionBlocks().Visible, kVisibleBlockSize);
}

std::string OptionsDialogFile(const TProjectSession& session) { return OptionsFilePath(session); }

std::string OptionsFilePath(const TProjectSession& session) { return structFolder(session) + "Options.xml"; }
std::string SettingsPath(const TProjectSession& session) {
    return structFolder(session) + "Configurator.xml/setings";
}

}  // namespace zo::configurator
