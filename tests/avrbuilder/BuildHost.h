#pragma once
// A host of the builder plug-in for tests: binds System/ZoAVRbuilder.so of the
// built program folder and fills TBuildParams as the program does: the
// program's console runner and XML query callbacks, a log that records, and
// the configuration file made by a callback the test sets.

#include "common/abi/BuildParams.h"

#include <functional>
#include <string>
#include <vector>

namespace zo::test {

struct BuildLogLine {
    std::string text;  // UTF-8
    int level;
};

class BuildHost {
public:
    BuildHost();
    ~BuildHost();
    BuildHost(const BuildHost&) = delete;
    BuildHost& operator=(const BuildHost&) = delete;

    bool bound() const { return build_ != nullptr; }
    // Sets a text field of the record (UTF-8 in, Windows-1251 in the record).
    static void set(char* field, size_t size, const std::string& utf8);
    // Runs Build on the record.
    int32_t run();

    TBuildParams params{};
    // Makes the configuration file: (path, code files to report) -> result.
    std::function<int32_t(const std::string& cfgPath, std::vector<std::string>& libraries)> createConfig;
    std::vector<BuildLogLine> log;
    std::vector<std::string> commandLines;  // as RunProgram got them, UTF-8

    bool logged(const std::string& utf8, int level) const;
    std::string logText() const;  // every line, for failure messages

private:
    void* library_ = nullptr;
    TBuildProc build_ = nullptr;
};

}  // namespace zo::test
