// The console runner against the tests' own console tool (tools/consoletool.cpp).
#include "configurator/shell/ZoConsole.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

using namespace zo::configurator;
using zo::test::cp;

namespace {

struct LogLine {
    std::string text;
    int level;
    bool operator==(const LogLine&) const = default;
};

void PrintTo(const LogLine& line, std::ostream* os) { *os << int(line.level) << " " << zo::test::utf(line.text); }

std::vector<LogLine>& logged() {
    static std::vector<LogLine> lines;
    return lines;
}

void captureLog(const char* text, uint8_t level) { logged().push_back({text, level}); }

const std::string kTool = std::string(ZO_TOOLS_DIR) + "/consoletool";

class ConsoleRunner : public ::testing::Test {
protected:
    void SetUp() override {
        logged().clear();
        saved_ = ConsoleLimits();
    }
    void TearDown() override { SetConsoleLimits(saved_); }

    int run(const std::string& arguments, const char* folder = nullptr) {
        return RunConsoleProcess(folder, ("\"" + kTool + "\" " + arguments).c_str(), captureLog);
    }

    // The tool under another name in a folder of its own, so a command line can
    // name it as the build steps name their tools.
    std::string toolAs(const std::string& name) {
        const std::string path = dir_.file(name);
        std::filesystem::copy_file(kTool, path);
        return path;
    }

    zo::test::TempDir dir_;
    TConsoleLimits saved_;
};

TEST(ConsoleLineLevel, MarkersGiveLevelsInAnyCase) {
    const struct {
        const char* line;
        int level;
    } cases[] = {
        {"main.asm(3): error: unknown instruction", 5},
        {"WARNING: register r16 redefined", 3},
        {"Warning: x and then Error: y", 5},
        {"info: 12 words", 2},
        {"Info:", 2},
        {"errors: 0", 1},
        {"no marker at all", 1},
        {"warning : blank before the colon", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ConsoleLineLevel(c.line), c.level) << c.line;
}

TEST(SplitCommandLine, QuotesGroupWordsAndBackslashesStay) {
    const struct {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"Utility\\Kelvart.exe -o=U\\Configuration.inc C\\p.cfg",
         {"Utility\\Kelvart.exe", "-o=U\\Configuration.inc", "C\\p.cfg"}},
        {"  tool\t\"a b\"  -o \"N.hex\" ", {"tool", "a b", "-o", "N.hex"}},
        {"tool -o=\"my folder\\x.inc\" \"\"", {"tool", "-o=my folder\\x.inc", ""}},
        {"tool \"say \"\"hi\"\"\" \"C:\\dir\\\"", {"tool", "say \"hi\"", "C:\\dir\\"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST_F(ConsoleRunner, LogsTheProcessLineThenOutputThenErrorLinesWithTheirLevels) {
    const std::string tool = toolAs("avrasm2");
    const std::string line = tool + ".exe \"err=E1 error: bad\" " + cp("\"out=Вывод в UTF-8\"") +
                             " \"out=O1%r%nO2%rwarning: O3%n%n%rInfo: O4%e\"";
    EXPECT_EQ(RunConsoleProcess(nullptr, line.c_str(), captureLog), kConsoleRan);
    const std::vector<LogLine> expected{
        {"Process: " + line, 2},
        {cp("avrasm2.exe> Вывод в UTF-8"), 1},
        {"avrasm2.exe> O1", 1},
        {"avrasm2.exe> O2", 1},
        {"avrasm2.exe> warning: O3", 3},
        {"avrasm2.exe> Info: O4", 2},
        {"avrasm2.exe> E1 error: bad", 5},
    };
    EXPECT_EQ(logged(), expected);
}

TEST_F(ConsoleRunner, AMegabyteOnStandardErrorBeforeAnyOutputDoesNotHang) {
    SetConsoleLimits({20000, 16 * 1024 * 1024});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run("errbytes=1048576 out=done"), kConsoleRan);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    ASSERT_EQ(logged().size(), 2u + (1048576 + 99) / 100);
    EXPECT_EQ(logged()[1].text, "consoletool> done");
    EXPECT_EQ(logged().back().text, "consoletool> " + std::string(1048576 % 100, 'x'));
}

TEST_F(ConsoleRunner, AMissingProgramGivesItsCodeAndLogsNothing) {
    EXPECT_EQ(RunConsoleProcess(nullptr, (dir_.str() + "\\no-such-tool.exe out=x").c_str(), captureLog),
              kConsoleNotStarted);
    EXPECT_EQ(RunConsoleProcess(nullptr, "zo-no-such-program-anywhere", captureLog), kConsoleNotStarted);
    EXPECT_EQ(RunConsoleProcess(nullptr, "   ", captureLog), kConsoleNotStarted);
    EXPECT_EQ(RunConsoleProcess(nullptr, nullptr, captureLog), kConsoleNotStarted);
    // A file that is there but cannot be run does not start either.
    zo::test::writeBytes(dir_.file("plain.txt"), "not a program");
    EXPECT_EQ(RunConsoleProcess(nullptr, dir_.file("plain.txt").c_str(), captureLog), kConsoleNotStarted);
    EXPECT_TRUE(logged().empty());
}

TEST_F(ConsoleRunner, AMissingWorkingFolderIsOneErrorLine) {
    const std::string folder = dir_.str() + "\\absent";
    EXPECT_EQ(run("out=x", folder.c_str()), kConsoleNotStarted);
    ASSERT_EQ(logged().size(), 1u);
    EXPECT_EQ(logged()[0].level, 5);
    EXPECT_NE(logged()[0].text.find(folder), std::string::npos);
}

TEST_F(ConsoleRunner, TheWorkingFolderIsTheChildsOnly) {
    const QString before = QDir::currentPath();
    std::filesystem::create_directory(dir_.path() / "work");
    // A bare program name is looked for in the working folder, with ".exe" dropped.
    std::filesystem::copy_file(kTool, dir_.path() / "work" / "Kelvart");
    const std::string folder = dir_.str() + "\\work\\";
    EXPECT_EQ(RunConsoleProcess(folder.c_str(), "Kelvart.exe cwd", captureLog), kConsoleRan);
    ASSERT_EQ(logged().size(), 2u);
    EXPECT_EQ(logged()[1].text, "Kelvart.exe> " + (dir_.path() / "work").string());
    EXPECT_EQ(QDir::currentPath(), before);

    logged().clear();
    EXPECT_EQ(run("cwd"), kConsoleRan);
    ASSERT_EQ(logged().size(), 2u);
    EXPECT_EQ(logged()[1].text, "consoletool> " + before.toStdString());
}

TEST_F(ConsoleRunner, TheChildGetsAUsableEnvironment) {
    EXPECT_EQ(run("env=LC_ALL env=PATH"), kConsoleRan);
    ASSERT_EQ(logged().size(), 3u);
    EXPECT_EQ(logged()[1].text, "consoletool> LC_ALL=C");
    EXPECT_GT(logged()[2].text.size(), std::string("consoletool> PATH=").size());
}

TEST_F(ConsoleRunner, ArgumentsKeepTheirQuotingWithSlashesForBackslashes) {
    EXPECT_EQ(run("args \"a b\" -o=\"x\\y z\" \"q\"\"q\" plain\\path"), kConsoleRan);
    std::vector<std::string> texts;
    for (const LogLine& line : logged()) texts.push_back(line.text);
    const std::vector<std::string> expected{texts.front(), "consoletool> arg:a b", "consoletool> arg:-o=x/y z",
                                            "consoletool> arg:q\"q", "consoletool> arg:plain/path"};
    EXPECT_EQ(texts, expected);
}

TEST_F(ConsoleRunner, ANonZeroExitCodeIsAnErrorAndTheResult) {
    EXPECT_EQ(run("out=partial exit=3"), 3);
    ASSERT_EQ(logged().size(), 3u);
    EXPECT_EQ(logged()[1].text, "consoletool> partial");
    EXPECT_EQ(logged()[2].level, 5);
    EXPECT_NE(logged()[2].text.find(cp("с кодом 3")), std::string::npos);

    logged().clear();
    EXPECT_EQ(run("crash"), kConsoleCrashed);
    ASSERT_EQ(logged().size(), 2u);
    EXPECT_EQ(logged()[1].level, 5);
}

TEST_F(ConsoleRunner, TheTimeLimitStopsTheToolAndSaysSo) {
    SetConsoleLimits({2000, 1024});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run("out=started sleep=20000 out=never"), kConsoleTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(logged().size(), 3u);
    EXPECT_EQ(logged()[1].text, "consoletool> started");
    EXPECT_EQ(logged()[2].level, 5);
    EXPECT_NE(logged()[2].text.find(cp("превышено время")), std::string::npos);
}

TEST_F(ConsoleRunner, OutputPastTheCapIsDroppedAndTheCutLogged) {
    SetConsoleLimits({20000, 1000});
    EXPECT_EQ(run("outbytes=200000 errbytes=200000 out=tail"), kConsoleRan);
    // 1000 bytes are ten lines of the tool's 100-byte lines.
    ASSERT_EQ(logged().size(), 1u + 10u + 1u);
    for (size_t i = 1; i <= 10; ++i) EXPECT_EQ(logged()[i].text, "consoletool> " + std::string(99, 'x'));
    EXPECT_EQ(logged().back().level, 3);
    EXPECT_NE(logged().back().text.find("1000"), std::string::npos);
}

TEST_F(ConsoleRunner, TheCallbackFormRunsWithoutALog) {
    EXPECT_EQ(RunProcessCallback(dir_.str().c_str(), ("\"" + kTool + "\" out=x").c_str(), nullptr), kConsoleRan);
    EXPECT_EQ(RunProcessCallback(nullptr, ("\"" + kTool + "\" exit=7").c_str(), captureLog), 7);
    EXPECT_EQ(logged().back().level, 5);
}

}  // namespace
