#pragma once
// Shared by the binding tests: a log procedure that records its lines, the
// mapping test of /proc/self/maps, and a program folder laid out for a binding.

#include "platform/Cp1251.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zo::test {

struct LogLine {
    std::string text;  // UTF-8
    int level;
};

inline std::vector<LogLine>& loggedLines() {
    static std::vector<LogLine> lines;
    return lines;
}

inline void recordLog(const char* text, uint8_t level) { loggedLines().push_back({utf(text ? text : ""), level}); }

// Whether a file whose path ends in name is mapped into this process.
inline bool mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0) return true;
    return false;
}

// A folder with System/<fileName> copied from source, the current folder and
// the registry (XDG_CONFIG_HOME) set for the scope.
class BindingFolder {
public:
    BindingFolder() : env_("XDG_CONFIG_HOME", config_.str()), cd_(dir_.path()) { loggedLines().clear(); }
    void place(const std::string& source, const std::string& fileName, const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder / "System");
        std::filesystem::copy_file(source, folder / "System" / fileName,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    void placeHere(const std::string& source, const std::string& fileName) { place(source, fileName, dir_.path()); }
    // Registers other's folder as the program path and places the library there.
    void placeInRegistry(const std::string& source, const std::string& fileName, const std::string& subfolder = "System") {
        std::filesystem::create_directories(registry_.path() / subfolder);
        std::filesystem::copy_file(source, registry_.path() / subfolder / fileName,
                                   std::filesystem::copy_options::overwrite_existing);
        platform::writeRegistry(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path", registry_.str());
    }
    std::string here() const { return dir_.str(); }
    std::string registry() const { return registry_.str(); }

private:
    TempDir config_;
    TempDir dir_;
    TempDir registry_;
    ScopedEnv env_;
    ScopedCurrentDir cd_;
};

inline std::string systemLibrary(const std::string& name) { return std::string(ZO_PROGRAM_DIR) + "/System/" + name; }
inline std::string testLibrary(const std::string& name) { return std::string(ZO_TEST_LIBS_DIR) + "/" + name; }

}  // namespace zo::test
