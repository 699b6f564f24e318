// The logging library as the program uses it: loaded from the program folder, used through GetInfo.
#include "common/abi/LogsOptions.h"
#include "platform/DynLib.h"
#include "support/TestSupport.h"
#include "support/WindowDriving.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QWidget>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using zo::test::cp;
using zo::test::readBytes;

const std::string kLogFolder = ZO_PROGRAM_DIR "/Log";

struct Line {
    int level = -1;
    std::string text;
};

std::vector<std::string> rawLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string bytes = readBytes(path);
    size_t begin = 0;
    while (begin < bytes.size()) {
        size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

// Every line has the form "YYYY-MM-DD HH:MM:SS.mmm [level] text".
std::vector<Line> parsedLines(const std::string& path) {
    static const std::regex form(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[(-?\d+)\] ([^\n]*)$)");
    std::vector<Line> lines;
    for (const std::string& raw : rawLines(path)) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(raw, m, form)) << raw;
        if (m.empty()) continue;
        lines.push_back({std::stoi(m[1].str()), m[2].str()});
    }
    return lines;
}

// Byte offsets just past each line of a log file.
std::vector<int64_t> lineEnds(const std::string& path) {
    std::vector<int64_t> ends;
    const std::string bytes = readBytes(path);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') ends.push_back(static_cast<int64_t>(i) + 1);
    return ends;
}

int64_t sizeOf(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

class ZoLogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const zo::test::LibraryRecord lib = zo::test::LoadLibraryRecord("ZoLogs.so");
        handle_ = lib.handle;
        ASSERT_NE(handle_, nullptr) << zo::platform::lastLibraryError();
        ASSERT_EQ(lib.size, static_cast<int32_t>(sizeof(TLogsOptions)));
        logs_ = static_cast<TLogsOptions*>(lib.record);
        logs_->HostApplication = qApp;
        logs_->Initialize();
    }
    static void TearDownTestSuite() {
        if (logs_) logs_->Finalize();
        zo::platform::unloadLibrary(handle_);
        handle_ = nullptr;
        logs_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(logs_, nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        name_ = std::string("zlt_") + info->name() + "_" + std::to_string(::getpid()) + ".log";
        removeLog();
    }
    void TearDown() override { removeLog(); }

    void removeLog() const {
        std::error_code ec;
        fs::remove(path(), ec);
        fs::remove(path() + ".1", ec);
    }

    std::string path() const { return kLogFolder + "/" + name_; }
    void write(const std::string& text, int32_t level = 1) const { logs_->WriteLine(name_.c_str(), text.c_str(), 3, level); }

    TLogView view(uint16_t width, uint16_t height, uint8_t mode, int64_t position = 0) const {
        TLogView v;
        std::memset(&v, 0, sizeof v);
        std::snprintf(v.LogName, sizeof v.LogName, "%s", name_.c_str());
        v.Width = width;
        v.Height = height;
        v.Mode = mode;
        v.Position = position;
        return v;
    }

    // What a render gave back, copied out of the packed view (its 64-bit fields are not aligned).
    struct Shown {
        QImage* image = nullptr;
        int64_t position = 0, lineUp = 0, lineDown = 0, pageUp = 0, pageDown = 0, size = 0;
    };
    static Shown render(TLogView& v) {
        void* graphic = nullptr;
        EXPECT_EQ(logs_->RenderLogView(&v, &graphic), 0);
        EXPECT_NE(graphic, nullptr);
        Shown shown;
        shown.image = static_cast<QImage*>(graphic);
        shown.position = v.Position;
        shown.lineUp = v.LineUpPosition;
        shown.lineDown = v.LineDownPosition;
        shown.pageUp = v.PageUpPosition;
        shown.pageDown = v.PageDownPosition;
        shown.size = v.Size;
        return shown;
    }

    // The log's window of the library, nil when none is open.
    QWidget* findWindow() const {
        QWidget* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QString::fromStdString(name_)) {
                EXPECT_EQ(found, nullptr) << "one window per log";
                found = w;
            }
        return found;
    }

    static void* handle_;
    static TLogsOptions* logs_;
    std::string name_;
};

void* ZoLogsTest::handle_ = nullptr;
TLogsOptions* ZoLogsTest::logs_ = nullptr;

TEST_F(ZoLogsTest, LinesAreAppendedWithLevelAndText) {
    zo::test::TempDir elsewhere;
    {
        // The log folder belongs to the program folder, whatever the current folder.
        zo::test::ScopedCurrentDir cd(elsewhere.path());
        write("first", 1);
        write(cp("Ошибка: файл не найден"), 5);
        write("one\r\ntwo\nthree\rfour", 2);
        write("", 3);
        logs_->WriteLine(name_.c_str(), nullptr, 3, 1);
    }
    EXPECT_FALSE(fs::exists(elsewhere.path() / "Log"));
    const std::vector<Line> lines = parsedLines(path());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].level, 1);
    EXPECT_EQ(lines[0].text, "first");
    EXPECT_EQ(lines[1].level, 5);
    EXPECT_EQ(lines[1].text, cp("Ошибка: файл не найден"));  // Windows-1251 bytes as given
    EXPECT_EQ(lines[2].level, 2);
    EXPECT_EQ(lines[2].text, "one two three four");
    EXPECT_EQ(lines[3].level, 3);
    EXPECT_EQ(lines[3].text, "");
    EXPECT_EQ(lines[4].text, "");

    // A later call appends: nothing written before is lost.
    write("later", 3);
    ASSERT_EQ(parsedLines(path()).size(), 6u);
    EXPECT_EQ(parsedLines(path()).back().text, "later");
}

TEST_F(ZoLogsTest, TwoThreadsAppendingLoseNoLines) {
    constexpr int kLines = 2000;
    auto writer = [this](int thread) {
        for (int i = 0; i < kLines; ++i) write("t" + std::to_string(thread) + " " + std::to_string(i), thread + 1);
    };
    std::thread a(writer, 0);
    std::thread b(writer, 1);
    a.join();
    b.join();

    const std::vector<Line> lines = parsedLines(path());
    ASSERT_EQ(lines.size(), 2u * kLines);
    int next[2] = {0, 0};
    for (const Line& line : lines) {
        const int thread = line.text[1] - '0';
        ASSERT_TRUE(thread == 0 || thread == 1) << line.text;
        EXPECT_EQ(line.level, thread + 1);
        EXPECT_EQ(line.text, "t" + std::to_string(thread) + " " + std::to_string(next[thread])) << "lost or reordered";
        ++next[thread];
    }
    EXPECT_EQ(next[0], kLines);
    EXPECT_EQ(next[1], kLines);
}

TEST_F(ZoLogsTest, LimitRotatesTheLogAndKeepsItWithinBounds) {
    constexpr int64_t kLimit = 1000;
    logs_->OpenLog(name_.c_str(), kLimit);
    for (int i = 0; i < 100; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "line %03d ..........", i);
        write(text);
        ASSERT_LE(sizeOf(path()), kLimit) << "after line " << i;
    }
    ASSERT_TRUE(fs::exists(path() + ".1"));
    EXPECT_LE(sizeOf(path() + ".1"), kLimit);

    // The older file and the current one hold the last lines in order, without a gap.
    std::vector<Line> lines = parsedLines(path() + ".1");
    const std::vector<Line> current = parsedLines(path());
    ASSERT_FALSE(current.empty());
    lines.insert(lines.end(), current.begin(), current.end());
    ASSERT_GT(lines.size(), 20u);
    for (size_t i = 0; i < lines.size(); ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "line %03zu ..........", 100 - lines.size() + i);
        EXPECT_EQ(lines[i].text, expected);
    }
}

TEST_F(ZoLogsTest, OpenLogWithALimitMovesAnOversizedLogAside) {
    for (int i = 0; i < 40; ++i) write("an earlier line of the log");
    const int64_t before = sizeOf(path());
    ASSERT_GT(before, 500);
    logs_->OpenLog(name_.c_str(), 500);
    EXPECT_EQ(sizeOf(path()), 0);
    EXPECT_EQ(sizeOf(path() + ".1"), before);
}

TEST_F(ZoLogsTest, LimitBelongsToItsOwnLog) {
    const std::string other = "zlt_other_" + std::to_string(::getpid()) + ".log";
    const std::string otherPath = kLogFolder + "/" + other;
    logs_->OpenLog(other.c_str(), 200);
    for (int i = 0; i < 30; ++i) write("a line that goes to the log without a limit");
    EXPECT_FALSE(fs::exists(path() + ".1"));
    EXPECT_EQ(parsedLines(path()).size(), 30u);
    for (int i = 0; i < 30; ++i) logs_->WriteLine(other.c_str(), "a line of the limited log", 3, 1);
    EXPECT_LE(sizeOf(otherPath), 200);
    EXPECT_TRUE(fs::exists(otherPath + ".1"));
    logs_->CloseLog(other.c_str(), "");
    fs::remove(otherPath);
    fs::remove(otherPath + ".1");
}

TEST_F(ZoLogsTest, ClearLogEmptiesTheLog) {
    logs_->OpenLog(name_.c_str(), 300);
    for (int i = 0; i < 20; ++i) write("a line before the clear");
    ASSERT_TRUE(fs::exists(path() + ".1"));
    logs_->ClearLog(name_.c_str());
    EXPECT_EQ(sizeOf(path()), 0);
    EXPECT_FALSE(fs::exists(path() + ".1"));
    write("after");
    const std::vector<Line> lines = parsedLines(path());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "after");
}

TEST_F(ZoLogsTest, CloseLogWritesItsTextWhenThereIsOne) {
    write("work");
    logs_->CloseLog(name_.c_str(), "");
    EXPECT_EQ(parsedLines(path()).size(), 1u);
    logs_->CloseLog(name_.c_str(), cp("Завершение").c_str());
    const std::vector<Line> lines = parsedLines(path());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, cp("Завершение"));
}

TEST_F(ZoLogsTest, LogNamesStayInsideTheLogFolder) {
    const std::string pid = std::to_string(::getpid());
    const std::string escape = "zlt_escape_" + pid + ".log";
    const std::string names[] = {"../" + escape, "..\\" + escape, "sub_" + pid + "/x.log", "..", ".", ""};
    for (const std::string& name : names) {
        logs_->OpenLog(name.c_str(), 100);
        logs_->WriteLine(name.c_str(), "text", 3, 1);
        logs_->ClearLog(name.c_str());
        logs_->CloseLog(name.c_str(), "text");
    }
    logs_->WriteLine(nullptr, "text", 3, 1);
    logs_->OpenLog(nullptr, 1);
    logs_->ClearLog(nullptr);
    logs_->CloseLog(nullptr, nullptr);
    EXPECT_FALSE(fs::exists(ZO_PROGRAM_DIR "/" + escape));
    EXPECT_FALSE(fs::exists(kLogFolder + "/sub_" + pid));
    EXPECT_FALSE(fs::exists(kLogFolder + "/..\\" + escape));

    TLogView v = view(100, 100, 2);
    std::snprintf(v.LogName, sizeof v.LogName, "../%s", escape.c_str());
    void* graphic = nullptr;
    EXPECT_NE(logs_->RenderLogView(&v, &graphic), 0);
    EXPECT_EQ(graphic, nullptr);
}

TEST_F(ZoLogsTest, RenderRefusesMissingArguments) {
    TLogView v = view(100, 100, 2);
    void* graphic = nullptr;
    EXPECT_NE(logs_->RenderLogView(nullptr, &graphic), 0);
    EXPECT_NE(logs_->RenderLogView(&v, nullptr), 0);
    EXPECT_EQ(graphic, nullptr);
}

// Away from the GUI thread there is no picture, but the positions are still given.
TEST_F(ZoLogsTest, RenderAwayFromTheGuiThreadGivesNoPicture) {
    write("one");
    TLogView v = view(200, 100, 2);
    int32_t result = 0;
    void* graphic = nullptr;
    std::thread worker([&] { result = logs_->RenderLogView(&v, &graphic); });
    worker.join();
    EXPECT_NE(result, 0);
    EXPECT_EQ(graphic, nullptr);
    const int64_t size = v.Size;
    const int64_t position = v.Position;
    EXPECT_EQ(size, sizeOf(path()));
    EXPECT_EQ(position, size);
}

TEST_F(ZoLogsTest, RenderOfAnEmptyLog) {
    TLogView v = view(200, 100, 2, 77);
    const Shown shown = render(v);
    ASSERT_NE(shown.image, nullptr);
    EXPECT_EQ(shown.image->size(), QSize(200, 100));
    EXPECT_EQ(shown.size, 0);
    EXPECT_EQ(shown.position, 0);
    EXPECT_LT(shown.lineUp, 0);
    EXPECT_LT(shown.lineDown, 0);
    EXPECT_LT(shown.pageUp, 0);
    EXPECT_LT(shown.pageDown, 0);
}

TEST_F(ZoLogsTest, RenderOfASmallLogShowsItAll) {
    write("one");
    write("two", 3);
    write("three", 5);
    const int64_t size = sizeOf(path());
    for (const auto& [mode, position] : std::vector<std::pair<uint8_t, int64_t>>{{2, 0}, {1, 0}, {1, 5}, {1, 1 << 20}}) {
        SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(position));
        TLogView v = view(400, 300, mode, position);
        const Shown shown = render(v);
        ASSERT_NE(shown.image, nullptr);
        EXPECT_EQ(shown.image->size(), QSize(400, 300));
        EXPECT_EQ(shown.size, size);
        EXPECT_EQ(shown.position, size);
        EXPECT_LT(shown.lineUp, 0);
        EXPECT_LT(shown.lineDown, 0);
        EXPECT_LT(shown.pageUp, 0);
        EXPECT_LT(shown.pageDown, 0);
    }
}

// Position is the end of the last visible line; the move positions are the Positions of the
// neighbouring pages, negative where the log ends.
TEST_F(ZoLogsTest, RenderPositionsWalkThroughALongLog) {
    constexpr int kLines = 200;
    for (int i = 0; i < kLines; ++i) write("line " + std::to_string(i));
    const std::vector<int64_t> end = lineEnds(path());
    ASSERT_EQ(end.size(), static_cast<size_t>(kLines));
    auto lineOf = [&](int64_t position) {
        const auto it = std::find(end.begin(), end.end(), position);
        return it == end.end() ? -1 : static_cast<int>(it - end.begin());
    };

    // The top page: its lines 0..k-1.
    TLogView v = view(300, 80, 1, 0);
    Shown shown = render(v);
    EXPECT_EQ(shown.size, end.back());
    const int k = lineOf(shown.position) + 1;
    ASSERT_GE(k, 2) << "a page of 80 pixels holds several lines";
    ASSERT_LT(2 * k, kLines);
    EXPECT_LT(shown.lineUp, 0);
    EXPECT_LT(shown.pageUp, 0);
    EXPECT_EQ(shown.lineDown, end[k]);
    EXPECT_EQ(shown.pageDown, end[2 * k - 1]);

    // Page down: lines k..2k-1.
    v.Position = shown.pageDown;
    shown = render(v);
    EXPECT_EQ(shown.position, end[2 * k - 1]);
    EXPECT_EQ(shown.pageUp, end[k - 1]);
    EXPECT_EQ(shown.lineUp, end[2 * k - 2]);
    EXPECT_EQ(shown.lineDown, end[2 * k]);

    // Line up from there, then a Position inside a line shows that line last.
    v.Position = shown.lineUp;
    shown = render(v);
    EXPECT_EQ(shown.position, end[2 * k - 2]);
    v.Position = end[50] + 3;
    shown = render(v);
    EXPECT_EQ(shown.position, end[51]);

    // Following the end: the last line is the last visible one.
    v.Mode = 2;
    v.Position = 0;
    shown = render(v);
    EXPECT_EQ(shown.position, shown.size);
    EXPECT_LT(shown.lineDown, 0);
    EXPECT_LT(shown.pageDown, 0);
    EXPECT_EQ(shown.lineUp, end[kLines - 2]);
    EXPECT_EQ(shown.pageUp, end[kLines - 1 - k]);

    // New lines move a following view along.
    write("one more");
    shown = render(v);
    EXPECT_EQ(shown.size, sizeOf(path()));
    EXPECT_EQ(shown.position, shown.size);
}

bool hasInkRightOf(const QImage& image, int x0) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

TEST_F(ZoLogsTest, FollowingTheEndShowsTheLastLine) {
    for (int i = 0; i < 30; ++i) write("s");
    write(std::string(150, 'W'));  // only the last line reaches the right part of the picture
    TLogView v = view(600, 60, 1, 0);
    const QImage* top = render(v).image;
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(hasInkRightOf(*top, 0)) << "the top lines are drawn";
    EXPECT_FALSE(hasInkRightOf(*top, 450));
    v.Mode = 2;
    const QImage* bottom = render(v).image;
    ASSERT_NE(bottom, nullptr);
    EXPECT_TRUE(hasInkRightOf(*bottom, 450));
}

TEST_F(ZoLogsTest, PressMarksTheLineUnderThePoint) {
    write("one");
    write("two");
    TLogView v = view(400, 200, 2);
    Shown shown = render(v);
    ASSERT_NE(shown.image, nullptr);
    const QRgb background = shown.image->pixel(399, 1);
    EXPECT_EQ(background, qRgb(255, 255, 255));

    v.Action = 1;
    v.X = 10;
    v.Y = 1;
    shown = render(v);
    ASSERT_NE(shown.image, nullptr);
    EXPECT_NE(shown.image->pixel(399, 1), background) << "the pressed line is marked";
    EXPECT_EQ(shown.position, shown.size) << "a press does not move the view";

    v.Action = 0;
    shown = render(v);
    ASSERT_NE(shown.image, nullptr);
    EXPECT_NE(shown.image->pixel(399, 1), background) << "the mark stays";

    v.Action = 1;
    v.Y = 190;  // below the last line
    shown = render(v);
    ASSERT_NE(shown.image, nullptr);
    EXPECT_EQ(shown.image->pixel(399, 1), background);
}

TEST_F(ZoLogsTest, ShowLogWindowShowsTheLogWithoutBlocking) {
    write("hello");
    write(cp("Привет"), 2);
    const auto started = std::chrono::steady_clock::now();
    logs_->ShowLogWindow(name_.c_str(), 100, 120, 500, 420, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    QPointer<QWidget> window = findWindow();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(400, 300));
    auto* text = window->findChild<QPlainTextEdit*>();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->toPlainText().contains("hello"));
    EXPECT_TRUE(text->toPlainText().contains(QString::fromUtf8("Привет")));

    // Shown again: the same window, with the log as it is now.
    write("again");
    logs_->ShowLogWindow(name_.c_str(), 0, 0, 0, 0, 0);
    EXPECT_EQ(findWindow(), window.data());
    EXPECT_TRUE(text->toPlainText().contains("again"));

    // Away from the GUI thread nothing is shown.
    const std::string other = name_ + ".other";
    std::thread worker([&] { logs_->ShowLogWindow(other.c_str(), 0, 0, 300, 200, 1); });
    worker.join();
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_NE(w->windowTitle(), QString::fromStdString(other));

    // Finalization closes the library's windows.
    logs_->Finalize();
    EXPECT_TRUE(window.isNull());
    logs_->Initialize();
}

// The window follows its log: what is written after it opened shows at once
// when written on the interface thread, within the window's timer from another
// thread; a cleared log shows afresh.
TEST_F(ZoLogsTest, LogWindowShowsTheLinesWrittenAfterItOpened) {
    logs_->ClearLog(name_.c_str());
    logs_->ShowLogWindow(name_.c_str(), 0, 0, 400, 300, 1);
    QPointer<QWidget> window = findWindow();
    ASSERT_FALSE(window.isNull());
    auto* text = window->findChild<QPlainTextEdit*>();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().isEmpty());

    for (int i = 1; i <= 60; ++i) write("step " + std::to_string(i));
    EXPECT_EQ(text->blockCount(), 60);
    EXPECT_TRUE(text->document()->firstBlock().text().endsWith("[1] step 1"));
    EXPECT_TRUE(text->document()->lastBlock().text().endsWith("[1] step 60"));
    QScrollBar* bar = text->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the view stays at the end of the log";

    std::thread worker([this] { write("from a worker", 5); });
    worker.join();
    EXPECT_TRUE(zo::test::pumpUntil([&] { return text->toPlainText().contains("[5] from a worker"); }));
    EXPECT_EQ(text->blockCount(), 61);

    logs_->ClearLog(name_.c_str());
    write("after clearing");
    EXPECT_EQ(text->blockCount(), 1);
    EXPECT_TRUE(text->toPlainText().endsWith("[1] after clearing"));
    window->close();
    zo::test::pumpUntil([&] { return window.isNull(); });
    EXPECT_TRUE(window.isNull());
    write("with no window");
}

}  // namespace
