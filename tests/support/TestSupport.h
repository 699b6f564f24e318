#pragma once
// Helpers shared by the tests: a UI-services recorder, temporary folders,
// and file read/write in bytes.

#include "platform/UiServices.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <deque>

namespace zo::test {

// Records every message and question (texts as UTF-8) and answers with a set answer.
class UiRecorder : public platform::UiServices {
public:
    UiRecorder();
    ~UiRecorder() override;
    UiRecorder(const UiRecorder&) = delete;
    UiRecorder& operator=(const UiRecorder&) = delete;

    void showMessage(const std::string& text, const std::string& caption, platform::MessageKind kind) override;
    platform::Answer ask(const std::string& text, const std::string& caption, platform::Buttons buttons) override;

    std::vector<std::string> messages;   // UTF-8
    std::vector<std::string> questions;  // UTF-8
    platform::Answer answer = platform::Answer::Ignore;
    // Answers given first, in order, before answer.
    std::deque<platform::Answer> answers;

private:
    platform::UiServices* previous_;
};

// A fresh temporary folder, removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Changes the current folder for a scope.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    std::filesystem::path previous_;
};

// Sets an environment variable for a scope (XDG_CONFIG_HOME in registry tests).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

// A library of the built program folder's System/, bound as a host binds it:
// the handle (nil on failure; the caller unloads it), its GetInfo, and the
// record and size GetInfo gave.
struct LibraryRecord {
    void* handle = nullptr;
    void (*getInfo)(void**, int32_t*) = nullptr;
    void* record = nullptr;
    int32_t size = 0;
};
LibraryRecord LoadLibraryRecord(const std::string& soName);

// Runs body in a forked child and answers its exit code (128 + the signal
// when it died). The child leaves with _exit: no test of the parent runs twice.
int RunInChild(const std::function<int()>& body);

// Runs body in a child whose files cannot grow past limit bytes: every write
// past it fails as on a full disk, also when the tests run as root.
int RunWithFullDisk(uint64_t limit, const std::function<int()>& body);

// Runs body in a child for which folder is read-only, also when the tests run
// as root (99 when the permissions could not be made to hold).
int RunWithReadOnlyFolder(const std::string& folder, const std::function<int()>& body);

// Runs body in a child for which file permissions hold, also when the tests
// run as root (99 when they could not be made to hold).
int RunHonouringFilePermissions(const std::function<int()>& body);

// The names of the entries of a folder, sorted (temporary files a failed write
// left show here).
std::vector<std::string> filesIn(const std::string& folder);

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

// UTF-8 source text -> Windows-1251 and back, for assertions.
std::string cp(const std::string& utf8);
std::string utf(const std::string& cp1251);

}  // namespace zo::test
