#pragma once
// A fresh copy of the built program folder for a test that starts the program
// in it: no log, no settings file (a first start) and an empty upload folder,
// so that what the test finds there is what its own run wrote.

#include <filesystem>
#include <string>

namespace zo::test {

inline void CopyProgramFolder(const std::string& program) {
    namespace fs = std::filesystem;
    fs::copy(ZO_PROGRAM_DIR, program, fs::copy_options::recursive);
    fs::remove_all(program + "/Log");
    fs::remove(program + "/Struct/Configurator.xml");
    for (const auto& entry : fs::directory_iterator(program + "/Upload")) fs::remove_all(entry.path());
}

}  // namespace zo::test
