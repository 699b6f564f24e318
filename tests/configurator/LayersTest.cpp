// The program's three layers as the sources include them: link/ includes
// nothing of windows/ or shell/, windows/ nothing of shell/, and only link/
// names the kernel record or its binding. The linker catches an upward call;
// this catches an upward include of a header alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string textOf(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> sourcesOf(const std::string& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(ZO_SOURCE_DIR) / "configurator" / folder))
        if (entry.path().extension() == ".cpp" || entry.path().extension() == ".h") files.push_back(entry.path());
    return files;
}

// The files of the folder whose text holds any of the words.
std::vector<std::string> holding(const std::string& folder, const std::vector<std::string>& words) {
    std::vector<std::string> found;
    for (const fs::path& file : sourcesOf(folder)) {
        const std::string text = textOf(file);
        for (const std::string& word : words)
            if (text.find(word) != std::string::npos) found.push_back(file.filename().string() + ": " + word);
    }
    return found;
}

TEST(Layers, NoFolderIncludesTheOneAboveIt) {
    EXPECT_GT(sourcesOf("link").size(), 10u);
    EXPECT_EQ(holding("link", {"\"configurator/windows/", "\"configurator/shell/"}), std::vector<std::string>{});
    EXPECT_EQ(holding("windows", {"\"configurator/shell/"}), std::vector<std::string>{});
}

TEST(Layers, OnlyLinkReachesTheKernelRecord) {
    const std::vector<std::string> kernel = {"TKernelOptions", "KernelOptionsPtr", "common/KroKernelConfig.h",
                                             "common/abi/KernelOptions.h"};
    EXPECT_EQ(holding("windows", kernel), std::vector<std::string>{});
    EXPECT_EQ(holding("shell", kernel), std::vector<std::string>{});
    EXPECT_EQ(textOf(fs::path(ZO_SOURCE_DIR) / "configurator" / "main.cpp").find("KernelOptions"), std::string::npos);
    // The record itself is named in link/ (the session and the window links).
    EXPECT_NE(holding("link", {"TKernelOptions"}), std::vector<std::string>{});
}

}  // namespace
