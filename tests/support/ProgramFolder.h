#pragma once
// A fresh copy of the built program folder for a test that starts the program
// in it: no log, no settings file (a first start) and an empty upload folder,
// so that what the test finds there is what its own run wrote. Other tests run
// their programs in the built folder at the same time, so a file that goes
// while the copy walks (a log, an update's staging file) is left out, not an error.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace zo::test {

inline void CopyProgramFolder(const std::string& program) {
    namespace fs = std::filesystem;
    const fs::path from = ZO_PROGRAM_DIR;
    fs::create_directories(program);
    std::error_code walk;
    for (fs::recursive_directory_iterator it(from, walk), end; !walk && it != end; it.increment(walk)) {
        const fs::path relative = fs::relative(it->path(), from);
        const std::string top = relative.begin()->string();
        // The log and what an upload left are not part of a fresh program folder.
        if (top == "Log" || (top == "Upload" && relative != "Upload")) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (relative == fs::path("Struct") / "Configurator.xml") continue;
        const fs::path target = fs::path(program) / relative;
        std::error_code copied;
        // Links are followed, as a plain copy of the folder follows them.
        if (it->is_directory(copied)) fs::create_directories(target, copied);
        else fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, copied);
        ASSERT_TRUE(!copied || copied == std::errc::no_such_file_or_directory)
            << it->path() << ": " << copied.message();
    }
    ASSERT_TRUE(!walk || walk == std::errc::no_such_file_or_directory) << walk.message();
}

}  // namespace zo::test
