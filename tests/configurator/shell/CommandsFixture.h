#pragma once
// The main window over the shared fake of the kernel record, in a temporary
// program folder that is the current folder, with the settings in a temporary
// home: where the tests of the project, build and upload commands start.

#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "platform/DialogHook.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"
#include "support/WindowDriving.h"

#include <filesystem>
#include <initializer_list>
#include <string>

namespace zo::configurator::test_support {

using ScopedDialogRunner = test::ScopedDialogRunner;

struct CommandsFixture {
    test::TempDir config;
    test::TempDir dir;
    test::ScopedEnv env{"XDG_CONFIG_HOME", config.str()};
    test::ScopedCurrentDir cd{dir.path()};
    test::UiRecorder ui;
    test::FakeKernel fake;
    TProjectSession session;
    TMainForm form{session};

    // The program folder gets these sub-folders; the fake answers it as its
    // program folder and the session holds the fake.
    explicit CommandsFixture(std::initializer_list<const char*> folders) {
        for (const char* folder : folders) std::filesystem::create_directories(dir.path() / folder);
        fake.setText("GetProgramFolder", dir.str());
        session.SetRecord(fake.recordPtr());
    }
    ~CommandsFixture() { session.SetRecord(nullptr); }
    CommandsFixture(const CommandsFixture&) = delete;
    CommandsFixture& operator=(const CommandsFixture&) = delete;

    std::string file(const std::string& relative) const { return dir.file(relative); }
};

}  // namespace zo::configurator::test_support
