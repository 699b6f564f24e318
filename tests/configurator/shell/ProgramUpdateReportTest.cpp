// What the program tells the user about an update beyond the two questions: a
// download it asked for that failed or was refused, and an apply that was
// interrupted before (the program killed while it ran), which the library
// finishes or rolls back at the next start.
#include "common/abi/ConnectOptions.h"
#include "common/abi/ConnectSettings.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/KroConnect.h"
#include "configurator/shell/ProgramUpdate.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    test::writeBytes(path.string(), bytes);
}

template <size_t N>
void put(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

class UpdateReport : public ::testing::Test {
protected:
    void SetUp() override {
        UnloadConnectLibrary(nullptr);
        fake.setText("GetProgramFolder", program.str());
        session.SetRecord(&fake.record());
    }
    void TearDown() override {
        update.reset();
        UnloadConnectLibrary(nullptr);
    }
    void start() {
        update = std::make_unique<TProgramUpdate>(session, [](int, const QString&) {});
    }
    std::string prog(const std::string& relative) const { return (program.path() / relative).string(); }

    test::TempDir configDir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", configDir.str()};
    test::ScopedCurrentDir here{ZO_PROGRAM_DIR};
    test::FakeKernel fake;
    TProjectSession session;
    test::TempDir source;
    test::TempDir program;
    test::UiRecorder ui;
    std::unique_ptr<TProgramUpdate> update;
};

TEST_F(UpdateReport, ADownloadThatFailsOrIsRefusedIsToldToTheUser) {
    const struct {
        const char* what;
        const char* file;  // the entry's file; nullptr: no update source at all
        const char* message;
    } cases[] = {
        {"file missing at the source", "missing.xml",
         "Обновление \"Configurator\" не загружено: файл обновления не получен или не записан."},
        {"file outside the program folder", "../escape.xml",
         "Обновление \"Configurator\" не загружено: источник обновлений передал недопустимый файл или файл больше "
         "512 МБ."},
        {"no source", nullptr, "Обновление \"Configurator\" не загружено: нет соединения с источником обновлений."},
    };
    start();
    ASSERT_TRUE(update->StartConnectSession());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        writeFile(source.path() / "update.xml", std::string("<?xml version=\"1.0\"?><UPDATE><Configurator VERSION=\"9\">") +
                                                     "<FILE NAME=\"" + (c.file ? c.file : "") + "\"/></Configurator></UPDATE>");
        TConnectSettings s{};
        ConnectOptionsPtr->GetSettings(&s);
        put(s.UpdateSource, c.file ? source.str() : std::string());
        s.AskDownload = 0;  // as after "загрузить обновление? да"
        ConnectOptionsPtr->SetSettings(&s);
        ConnectOptionsPtr->StartDownload();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.messages.empty(); }, 20000));
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
    }
}

// The journal of an apply killed after it had placed a.txt (the old file kept
// beside it) while b.txt was no longer staged: the next start rolls it back,
// puts the old a.txt back and says so.
TEST_F(UpdateReport, AnInterruptedApplyIsRolledBackAtTheNextStartAndTheUserIsTold) {
    writeFile(prog("a.txt"), "new a");
    writeFile(prog("a.txt.zo-old"), "old a");
    writeFile(prog("b.txt"), "old b");
    writeFile(prog("Update/apply.journal"),
              "entry\tConfigurator\nversion\t2\nfile\t1\t420\t0\t0\ta.txt\nfile\t1\t420\t0\t0\tb.txt\n");
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.messages.empty(); }, 20000));
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "Прерванное обновление \"Configurator\" отменено: восстановлены прежние файлы программы."});
    EXPECT_EQ(readBytes(prog("a.txt")), "old a");
    EXPECT_EQ(readBytes(prog("b.txt")), "old b");
    EXPECT_EQ(test::filesIn(program.str()), (std::vector<std::string>{"Update", "a.txt", "b.txt"}));
    EXPECT_EQ(test::filesIn(prog("Update")), std::vector<std::string>{});

    // Nothing is said at a start after that.
    update.reset();
    UnloadConnectLibrary(nullptr);
    ui.messages.clear();
    start();
    QTest::qWait(200);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ConnectOptionsPtr, nullptr) << "no journal: the library is not bound at start";
}

}  // namespace
}  // namespace zo::configurator
