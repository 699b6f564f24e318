// The AVR builder over a device description: its BUILD element (CMD, SOURCE,
// PROGRAM, DEVICE and COPY entries) read through the program's XML queries as
// the builder plug-in reads it, and the whole build run in a program folder
// with the shipped runtime, the tools answered by the host. Whatever the
// description names, the build writes only into the upload folder (and the
// configuration file the host makes), every tool it starts lies in the
// Utility folder, and a build that reports success leaves its image.

#include "avrbuilder/AvrProjectBuild.h"
#include "common/StringList.h"
#include "configurator/shell/XmlQuery.h"
#include "configurator/shell/ZoConsole.h"
#include "platform/Paths.h"
#include "support/FuzzSupport.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::fuzz;

namespace fs = std::filesystem;

namespace {

const std::string kDevice = "Mega128";

// The program folder P of the build (native form).
const std::string& folder() {
    static const std::string f = [] {
        const std::string p = Scratch() + "/Avr";
        const std::string runtime = p + "/Runtime/" + kDevice;
        for (const char* d : {"Device", "Upload", "Configuration", "Utility"}) fs::create_directories(p + "/" + d);
        for (const char* d : {"Device", "library", "FBD/Logic"}) fs::create_directories(runtime + "/" + d);
        WriteFile(runtime + "/main_prog.asm", "; main\r\n.include \"Include.inc\"\r\n");
        WriteFile(runtime + "/macros.inc", "; macros\r\n");
        WriteFile(runtime + "/library/lib_math.inc", "; library\r\n");
        WriteFile(runtime + "/FBD/Logic/logic.inc", "iAND: ret\r\n");
        WriteFile(runtime + "/Device/m128def.inc",
                  "; ***** INTERRUPT VECTORS ****\r\n.equ\tINT0addr\t= 0x0002\t; External Interrupt Request 0\r\n"
                  ".equ\tINT1addr\t= 0x0004\t; External Interrupt Request 1\r\n.equ\tINT_VECTORS_SIZE\t= 70\r\n");
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/Runtime/" + kDevice + "/Device/m128def.inc",
                 runtime + "/Device/full.inc", fs::copy_options::overwrite_existing);
        return p;
    }();
    return f;
}

// Every change below the program folder outside the upload and configuration
// folders, and in the scratch folder above it: each other folder is watched
// for files and folders made, written, moved, removed or changed in their
// attributes, and so is the folder the program folder lies in. A folder the
// build makes outside is itself a change, so the watched folders stay those
// of the start.
class Changes {
public:
    Changes() {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0) Fail("inotify_init1", std::strerror(errno));
        watch(Scratch());
        watch(folder());
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder(), ec); it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (!it->is_directory(ec)) continue;
            const std::string rel = it->path().lexically_relative(folder()).string();
            if (rel == "Upload" || rel == "Configuration") {
                it.disable_recursion_pending();
                continue;
            }
            watch(it->path().string());
        }
        if (ec) Fail("walking the program folder", ec.message());
    }

    // The changes since the last call, as "folder/name" (the harness's own write of the input is taken first).
    std::vector<std::string> take() {
        std::vector<std::string> changes;
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + e->len);
                if (e->mask & IN_Q_OVERFLOW) {
                    changes.push_back("(more changes than the watch keeps)");
                    continue;
                }
                const auto folderOf = folders_.find(e->wd);
                if (folderOf == folders_.end()) continue;
                const std::string name = e->len ? std::string(e->name) : std::string();
                // The upload and configuration folders themselves may go and come again.
                if (folderOf->second == folder() && (name == "Upload" || name == "Configuration")) continue;
                changes.push_back(folderOf->second + "/" + name);
            }
        }
        return changes;
    }

private:
    void watch(const std::string& path) {
        const int wd = inotify_add_watch(fd_, path.c_str(),
                                         IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                             IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
        if (wd < 0) Fail("inotify_add_watch", path + ": " + std::strerror(errno));
        folders_[wd] = path;
    }

    int fd_ = -1;
    std::map<int, std::string> folders_;
};

Changes& changes() {
    static Changes* c = new Changes;
    return *c;
}

bool below(const std::string& path, const std::string& nativeFolder) {
    const std::string normal = fs::path(platform::nativePath(path)).lexically_normal().string();
    return normal.compare(0, nativeFolder.size() + 1, nativeFolder + "/") == 0;
}

// What a fake tool writes: a relative name is taken in the tool's work folder
// (the program folder under test when it has none, standing for the current
// directory); a name outside that folder is left unwritten, as the harness must
// not write anywhere else on the machine.
void ToolWrites(const char* workFolder, const std::string& name, const std::string& text) {
    if (name.empty()) return;
    const bool absolute = name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':');
    const std::string path = absolute ? name : (workFolder ? std::string(workFolder) : folder() + "/") + name;
    if (below(path, folder())) WriteFile(platform::nativePath(path), text);
}

class Host : public avr::IAvrBuildHost {
public:
    void Log(const std::string&, uint8_t) override {}
    int32_t RunProgram(const char* workFolder, const std::string& commandLine) override {
        const std::vector<std::string> words = configurator::SplitCommandLine(commandLine);
        ZO_FUZZ_CHECK(!words.empty(), "an empty command line");
        ZO_FUZZ_CHECK(below(words.front(), folder() + "/Utility"), "a tool outside the Utility folder: " + commandLine);
        ++runs;
        // The converter writes its -o= file; the assembler every file its
        // output options name (-o, -l, -m, -e, the name as the next word or
        // joined to the option), relative to its folder, as the real one does.
        const bool converter = platform::fileNameOf(words.front()) == "Kelvart";
        for (size_t i = 1; i < words.size(); ++i) {
            const std::string& word = words[i];
            if (converter) {
                if (word.rfind("-o=", 0) == 0) ToolWrites(workFolder, word.substr(3), "; configuration\r\n");
                continue;
            }
            if (!workFolder || word.size() < 2 || word[0] != '-' || std::string("olme").find(word[1]) == std::string::npos)
                continue;
            std::string name = word.size() > 2 ? word.substr(2) : (i + 1 < words.size() ? words[i + 1] : std::string());
            if (word.size() > 2 && name[0] == '=') name.erase(0, 1);
            ToolWrites(workFolder, name, ":00000001FF\r\n");
        }
        return 0;
    }
    int32_t ReadXmlList(const std::string& query, const char* child, const char* attr,
                        std::vector<std::string>& items) override {
        TStringListTable list;
        const int32_t rc = XmlQueryListCallback(nullptr, query.c_str(), child, attr, list.List());
        items = list.Items();
        for (const std::string& item : items) ZO_FUZZ_CHECK(!item.empty(), "an empty list entry");
        return rc;
    }
    int32_t ReadXmlValue(const std::string& query, const char* attr, std::string& value) override {
        const char* text = nullptr;
        const int32_t rc = XmlQueryValueCallback(nullptr, query.c_str(), attr, &text);
        ZO_FUZZ_CHECK(text != nullptr, "no value buffer");
        value = text;
        ZO_FUZZ_CHECK(value.size() < configurator::kXmlQueryValueField, "a value longer than its field");
        ZO_FUZZ_CHECK(rc == 0 || value.empty(), "a failed query with a value");
        return rc;
    }
    int32_t CreateConfig(const std::string& cfgPath, const char*, std::vector<std::string>& libraries) override {
        WriteFile(platform::nativePath(cfgPath), "cfg");
        libraries = {"logic.inc"};
        return 0;
    }
    std::string DeviceProgram() override { return kDevice; }

    int runs = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    folder();
    changes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInputFile(folder() + "/Device/Fuzz.dev", data, size);
    changes().take();

    avr::AvrBuildInputs in;
    in.programFolder = folder();
    in.uploadFolder = folder() + "\\Upload";
    in.runtimeFolder = folder() + "\\Runtime\\";
    in.deviceFile = folder() + "\\Device\\Fuzz.dev";
    in.projectName = "Fuzz";
    Host host;
    const int32_t rc = avr::BuildAvrProject(in, host);
    Note("BuildAvrProject " + std::to_string(rc) + ", tools started " + std::to_string(host.runs));
    if (rc == avr::kAvrBuildOk) {
        ZO_FUZZ_CHECK(host.runs == 2, "a build reported success without both tools");
        for (const char* f : {"main.asm", "Include.inc", "Interrupt.inc", "Configuration.inc", "Fuzz.hex"})
            ZO_FUZZ_CHECK(FileThere(folder() + "/Upload/" + f), std::string("a successful build without ") + f);
    }
    const std::vector<std::string> outside = changes().take();
    ZO_FUZZ_CHECK(outside.empty(), "the build wrote outside the upload folder: " + outside.front());
    return 0;
}
