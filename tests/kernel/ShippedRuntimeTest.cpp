// The shipped devices that the kernel builds into an upload folder copy, for each
// block of a project, the library text the block names from the device's runtime
// folder. Every text a shipped block can name must therefore be shipped there, or
// each build of such a project logs a copy error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(ZO_SOURCE_DIR) / "data";

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> attributes(const std::string& text, const std::string& name) {
    std::vector<std::string> values;
    const std::regex pattern("\\b" + name + "=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        values.push_back((*it)[1]);
    return values;
}

// The files an INCLUDE names: a path below the program folder written with
// backslashes, whose last step may be "*.<ext>".
std::vector<fs::path> included(const std::string& fileName) {
    std::string relative = fileName;
    for (char& c : relative)
        if (c == '\\') c = '/';
    while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    const fs::path pattern = kData / relative;
    const std::string leaf = pattern.filename().string();
    if (leaf.rfind("*.", 0) != 0) return {pattern};
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(pattern.parent_path()))
        if (entry.is_regular_file() && entry.path().extension() == leaf.substr(1)) files.push_back(entry.path());
    return files;
}

}  // namespace

TEST(ShippedRuntime, EveryLibraryTextOfAFolderBuiltDeviceIsInItsRuntimeFolder) {
    int devices = 0;
    for (const auto& entry : fs::directory_iterator(kData / "Device")) {
        if (entry.path().extension() != ".dev") continue;
        const std::string device = readAll(entry.path());
        const std::vector<std::string> builder = attributes(device, "Builder");
        if (builder.empty() || !builder.front().empty()) continue;  // built by a plug-in
        const std::vector<std::string> program = attributes(device, "Program");
        ASSERT_FALSE(program.empty()) << entry.path();
        const fs::path runtime = kData / "Runtime" / fs::path(program.front()).stem();
        ++devices;

        // The device's own blocks and those of every file it includes, and of
        // every file those include in turn (Logic.xml includes the timers).
        std::set<std::string> libraries;
        std::set<fs::path> read;
        std::vector<std::string> texts{device};
        while (!texts.empty()) {
            const std::string text = texts.back();
            texts.pop_back();
            for (const std::string& library : attributes(text, "Library")) libraries.insert(library);
            for (const std::string& include : attributes(text, "FILE_NAME"))
                for (const fs::path& file : included(include))
                    if (read.insert(fs::weakly_canonical(file)).second) texts.push_back(readAll(file));
        }
        EXPECT_GT(read.size(), 1u) << "the included files of " << entry.path();
        EXPECT_FALSE(libraries.empty()) << entry.path();
        for (const std::string& text : libraries)
            EXPECT_TRUE(fs::is_regular_file(runtime / text)) << runtime / text << " for " << entry.path();
    }
    EXPECT_GT(devices, 0) << "no shipped device is built into an upload folder";
}
