// The text rules of the assembler wrapper and the converter's include, and
// the wrapper's end when its own work fails.
#include "outside/Kelvart/ConfigTable.h"
#include "outside/avrasm2/AsmText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <algorithm>
#include <filesystem>

using namespace zo;

namespace {

TEST(AssemblerWrapper, SlashCommentsBecomeSemicolons) {
    const std::pair<const char*, const char*> cases[] = {
        {"//whole line", ";whole line"},
        {"\tldi r16, 1 // after an instruction", "\tldi r16, 1 ; after an instruction"},
        {".db \"http://x\", 0 // text", ".db \"http://x\", 0 ; text"},
        {"\tldi r16, '/' // slash", "\tldi r16, '/' ; slash"},
        {"; already // a comment", "; already // a comment"},
        {"\tnop", "\tnop"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(avrasm2::SemicolonComments(in), out) << in;
}

TEST(AssemblerWrapper, AvraMessagesBecomeCompilerLines) {
    EXPECT_EQ(avrasm2::RewriteMessage("math.inc(134) : Error   : Unknown mnemonic/macro: foo"),
              "math.inc:134: error: Unknown mnemonic/macro: foo");
    EXPECT_EQ(avrasm2::RewriteMessage("main.asm(7) : Warning : Register r16 already defined"),
              "main.asm:7: warning: Register r16 already defined");
    EXPECT_EQ(avrasm2::RewriteMessage("Pass 1..."), "Pass 1...");
}

TEST(AssemblerWrapper, OptionsTranslate) {
    const avrasm2::Command c = avrasm2::TranslateArguments({"-fI", "-o", "A b.hex", "-W+ie", "dir\\main.asm"});
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.avraOptions, (std::vector<std::string>{"-fI", "-o", "A b.hex"}));
    EXPECT_EQ(c.source, "dir/main.asm");
    EXPECT_NE(avrasm2::TranslateArguments({"-fX", "a.asm"}).error, "");
    EXPECT_NE(avrasm2::TranslateArguments({"-fI"}).error, "");
}

// What the wrapper's own work throws (here the status of a link in the
// source's folder that points at itself) ends the run with its failure code
// and one error line naming it, never an abort; no image is left.
TEST(AssemblerWrapper, AFailureOfItsOwnWorkEndsWithItsCodeAndALine) {
    test::TempDir dir;
    test::writeBytes(dir.file("main.asm"), "\tnop\n");
    std::filesystem::create_symlink("loop.inc", dir.file("loop.inc"));
    QProcess run;
    run.setWorkingDirectory(QString::fromStdString(dir.str()));
    run.start(QString(ZO_PROGRAM_DIR "/Utility/avrasm2"), {"-fI", "-o", "main.hex", "main.asm"});
    ASSERT_TRUE(run.waitForStarted(30000));
    ASSERT_TRUE(run.waitForFinished(120000));
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << err;
    EXPECT_EQ(run.exitCode(), 2) << err;
    EXPECT_EQ(err.rfind("avrasm2: error: ", 0), 0u) << err;
    EXPECT_NE(err.find("loop.inc"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("main.hex")));
}

// Runs the wrapper in folder; answers its exit code.
int runAssembler(const test::TempDir& dir, const QStringList& arguments) {
    QProcess run;
    run.setWorkingDirectory(QString::fromStdString(dir.str()));
    run.start(QString(ZO_PROGRAM_DIR "/Utility/avrasm2"), arguments);
    if (!run.waitForStarted(30000) || !run.waitForFinished(120000)) return -1;
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
}

// The files a run names get its output only when it succeeded; a failed run
// leaves them, and every other file, as they were.
TEST(AssemblerWrapper, OnlyASuccessfulRunWritesTheFilesItNames) {
    test::TempDir dir;
    test::writeBytes(dir.file("keep.hex"), "the user's image");
    test::writeBytes(dir.file("keep.lst"), "the user's listing");
    test::writeBytes(dir.file("main.asm"), "\tfoo r1\n");
    EXPECT_NE(runAssembler(dir, {"-fI", "-o", "keep.hex", "-l", "keep.lst", "main.asm"}), 0);
    EXPECT_EQ(test::readBytes(dir.file("keep.hex")), "the user's image");
    EXPECT_EQ(test::readBytes(dir.file("keep.lst")), "the user's listing");

    test::writeBytes(dir.file("main.asm"), "\tnop\n");
    EXPECT_EQ(runAssembler(dir, {"-fI", "-o", "keep.hex", "-lkeep.lst", "main.asm"}), 0);
    EXPECT_EQ(test::readBytes(dir.file("keep.hex")).rfind(":", 0), 0u);
    EXPECT_NE(test::readBytes(dir.file("keep.lst")), "the user's listing");
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"keep.hex", "keep.lst", "main.asm"}));
}

// The source's name is one comment line of the include, whatever it holds.
TEST(Converter, ASourceNameCannotStartALineOfCode) {
    std::string file(kelvart::kHeaderSize, '\0');
    file += std::string("\x01\x00", 2);
    kelvart::ConfigTable t;
    std::string reason;
    ASSERT_TRUE(kelvart::ParseConfig(file, t, reason)) << reason;
    const std::string text = kelvart::IncludeText(t, "Demo\nnop\r\n.cfg");
    EXPECT_EQ(text.rfind("; Configuration table converted by Kelvart from Demo?nop??.cfg\r\n.equ CFG_ADDRESS", 0), 0u)
        << text;
}

TEST(Converter, TableLinesHoldAnEvenCountOfBytes) {
    std::string file(kelvart::kHeaderSize, '\0');
    file[kelvart::kAddressOffset] = 7;
    file += std::string("\x02\x04\x00\x01\x00\x00", 6);  // two nets, AND of nets 0 and 1, end
    kelvart::ConfigTable t;
    std::string reason;
    ASSERT_TRUE(kelvart::ParseConfig(file, t, reason)) << reason;
    EXPECT_EQ(t.blocks, 1);
    EXPECT_EQ(t.nets, 2);
    const std::string text = kelvart::IncludeText(t, "a.cfg");
    EXPECT_NE(text.find(".equ CFG_SIZE = 5\r\n"), std::string::npos);
    EXPECT_NE(text.find(".equ CFG_ADDRESS = 7\r\n"), std::string::npos);
    EXPECT_NE(text.find("CfgTable:\r\n.db 0x04, 0x00, 0x01, 0x00, 0x00, 0x00\r\n"), std::string::npos) << text;
}

TEST(Converter, RefusesWhatIsNotASimplifiedFile) {
    const std::string header(kelvart::kHeaderSize, '\0');
    const std::string cases[] = {
        "short",
        header + std::string("\x01\x05\x00", 3),           // the block runs past the end
        header + std::string("\x01\x03\x00\x01", 4),       // no end marker
        header + std::string("\x01\x00\x07", 3),           // bytes after the end marker
        header + std::string("\x01\x02\x00\x00", 4),       // a length that cannot hold a code
    };
    for (const std::string& c : cases) {
        kelvart::ConfigTable t;
        std::string reason;
        EXPECT_FALSE(kelvart::ParseConfig(c, t, reason));
        EXPECT_FALSE(reason.empty());
    }
}

}  // namespace
