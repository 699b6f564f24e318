#pragma once
// The main window as main makes it, over a fresh copy of the program folder,
// with the settings in a temporary home: where the tests that walk the
// program's road start. The window is made by startProgram (or by the test
// itself through session and schemeLink).

#include "configurator/link/KroLog.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/SchemeLink.h"
#include "configurator/shell/MainForm.h"
#include "configurator/windows/SchemForm.h"
#include "platform/UiServices.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"
#include "support/WindowDriving.h"

#include <QAction>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace zo::test {

class ProgramWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = dir.str() + "/Program";
        CopyProgramFolder(program);
    }
    void TearDown() override {
        // Nothing of a test's project is saved as the window goes.
        ui.answer = platform::Answer::No;
        form.reset();
    }

    // The window made and created in the program folder, nothing shown yet.
    void createProgram() {
        form = std::make_unique<configurator::TMainForm>(session, configurator::schemeFormFactory(schemeLink));
        form->FormCreate(QString::fromStdString(program));
    }
    // The copy's example PLC project talks to the controller at the loopback address and port.
    void pointExampleAt(uint16_t port) {
        const std::string file = program + "/Project/ExamplePLC.hc";
        std::string text = readBytes(file);
        const std::string header = cp("<Заголовок ");
        const size_t at = text.find(header);
        ASSERT_NE(at, std::string::npos);
        text.insert(at + header.size(), "IP=\"127.0.0.1\" Port=\"" + std::to_string(port) + "\" ");
        writeBytes(file, text);
    }
    // Opens a project file through the open command's chooser.
    void open(const std::string& file) {
        ScopedDialogRunner r(chooseFile(file));
        form->Action("OpenProject")->trigger();
        pumpFor(std::chrono::milliseconds(100));
    }
    std::string log() const { return utf(readBytes(program + "/Log/" + configurator::kProgramLogName)); }

    TempDir config;
    TempDir dir;
    ScopedEnv env{"XDG_CONFIG_HOME", config.str()};
    ScopedCurrentDir cd{dir.path()};
    UiRecorder ui;
    configurator::TProjectSession session;
    configurator::SchemeLink schemeLink{session};
    std::string program;
    std::unique_ptr<configurator::TMainForm> form;
};

}  // namespace zo::test
