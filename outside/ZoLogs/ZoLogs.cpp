// Stand-in for the product's outside logging library ZoLogs (named log files, log view picture, log window).
//
// A log is the file "<program folder>/Log/<LogName>", where the program folder is the parent
// of the folder this library lies in (its System folder). Every line is
//   "YYYY-MM-DD HH:MM:SS.mmm [<level>] <text>\n"
// with the text's Windows-1251 bytes as given (line breaks inside it become blanks).
// OpenLog's limit bounds the file in bytes: a line that would pass it first moves the file
// to "<LogName>.1" (replacing an older one) and starts it afresh. Writers on any thread
// are serialised, so lines are never lost or interleaved.
//
// The log view (RenderLogView) is a page of whole lines; its Position is the byte offset
// just past the last visible line, so following the end of the log means Position = Size.
// A log window (ShowLogWindow) follows its log: lines written after it opened appear in it.

#include "common/SlotBarrier.h"
#include "common/abi/LogsOptions.h"
#include "outside/ZoLogs/LogWindow.h"
#include "platform/Cp1251.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QWidget>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Results of RenderLogView.
constexpr int32_t kOk = 0;
constexpr int32_t kMissingArgument = -1;
constexpr int32_t kBadLogName = -2;
constexpr int32_t kNoGui = -3;

constexpr size_t kMaxLogName = 255;               // TLogView.LogName holds 255 characters
constexpr int64_t kMaxDrawnLineBytes = 2048;      // a longer line is drawn cut
constexpr int64_t kMaxWindowBytes = 8 * 1024 * 1024;  // the log window shows at most the last 8 MB

// ---------------------------------------------------------------------------------------------
// Where the logs are

const char g_anchor = 0;

// The program folder: the parent of the folder that holds this library. Worked out when the
// library is loaded, while the current folder is still the one the host loaded it from.
std::string findLogFolder() {
    Dl_info info{};
    if (dladdr(&g_anchor, &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    fs::path library = fs::absolute(info.dli_fname, ec);
    if (ec) return {};
    const fs::path canonical = fs::weakly_canonical(library, ec);
    if (!ec) library = canonical;
    return (library.parent_path().parent_path() / "Log").string();
}

const std::string g_logFolder = findLogFolder();

// A log name is a plain file name: no folders, nothing that climbs out of the log folder.
bool validLogName(std::string_view name) {
    if (name.empty() || name.size() > kMaxLogName || name == "." || name == "..") return false;
    return name.find_first_of("/\\") == std::string_view::npos;
}

std::string logPath(const std::string& name) { return g_logFolder + "/" + name; }
std::string rotatedPath(const std::string& name) { return logPath(name) + ".1"; }

int64_t fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool ensureLogFolder() {
    if (g_logFolder.empty()) return false;
    std::error_code ec;
    fs::create_directories(g_logFolder, ec);
    return !ec;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Shared state, guarded by g_mutex

struct LogState {
    int64_t limit = 0;            // 0: no bound
    int64_t markedLine = -1;      // start of the line the user pressed on, -1 none
    std::vector<int64_t> shown;   // starts of the lines of the last rendered page
    int lineHeight = 1;
};

std::mutex g_mutex;
std::map<std::string, LogState> g_logs;

void forgetMarks(const std::string& name) {
    const auto it = g_logs.find(name);
    if (it == g_logs.end()) return;
    it->second.markedLine = -1;
    it->second.shown.clear();
}

// Moves the log to "<name>.1" (replacing an older one); the log starts afresh.
void rotate(const std::string& name) {
    ::rename(logPath(name).c_str(), rotatedPath(name).c_str());
    forgetMarks(name);
}

std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return buf;
}

std::string formatLine(std::string_view text, int32_t level) {
    std::string line = timestamp();
    line += " [";
    line += std::to_string(level);
    line += "] ";
    // One call writes one line: a line break inside the text becomes a blank.
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        line += (c == '\r' || c == '\n') ? ' ' : c;
    }
    line += '\n';
    return line;
}

// Appends one line; the caller holds g_mutex.
void appendLocked(const std::string& name, std::string_view text, int32_t level) {
    if (!ensureLogFolder()) return;
    const std::string line = formatLine(text, level);
    const std::string path = logPath(name);
    const auto it = g_logs.find(name);
    const int64_t limit = it != g_logs.end() ? it->second.limit : 0;
    if (limit > 0) {
        const int64_t size = fileSize(path);
        if (size > 0 && size + static_cast<int64_t>(line.size()) > limit) rotate(name);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    writeAll(fd, line);
    ::close(fd);
}

// ---------------------------------------------------------------------------------------------
// Reading a log by lines

class LogReader {
public:
    explicit LogReader(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0) size_ = static_cast<int64_t>(st.st_size);
    }
    ~LogReader() {
        if (fd_ >= 0) ::close(fd_);
    }
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    int64_t size() const { return size_; }

    // Start of the line that holds the byte at pos.
    int64_t lineStartOf(int64_t pos) {
        int64_t end = std::clamp<int64_t>(pos, 0, size_);
        while (end > 0) {
            const int64_t begin = std::max<int64_t>(0, end - kBlock);
            const std::string block = read(begin, end);
            const void* hit = memrchr(block.data(), '\n', block.size());
            if (hit) return begin + (static_cast<const char*>(hit) - block.data()) + 1;
            if (static_cast<int64_t>(block.size()) != end - begin) return 0;
            end = begin;
        }
        return 0;
    }

    // End (past its '\n') of the line that starts at start.
    int64_t lineEndOf(int64_t start) {
        int64_t begin = std::clamp<int64_t>(start, 0, size_);
        while (begin < size_) {
            const int64_t end = std::min(size_, begin + kBlock);
            const std::string block = read(begin, end);
            const void* hit = std::memchr(block.data(), '\n', block.size());
            if (hit) return begin + (static_cast<const char*>(hit) - block.data()) + 1;
            if (static_cast<int64_t>(block.size()) != end - begin) return size_;
            begin = end;
        }
        return size_;
    }

    std::string read(int64_t begin, int64_t end) {
        std::string bytes;
        if (fd_ < 0 || end <= begin) return bytes;
        bytes.resize(static_cast<size_t>(end - begin));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, begin + static_cast<int64_t>(done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }

private:
    static constexpr int64_t kBlock = 64 * 1024;
    int fd_ = -1;
    int64_t size_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The log view picture

struct PageLine {
    int64_t start = 0;
    std::string text;  // without its line break, cut to kMaxDrawnLineBytes
};

struct Page {
    std::vector<PageLine> lines;
    int64_t marked = -1;
};

QFont viewFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
}

// Works out the page of the view and writes the positions into it; the caller holds g_mutex.
Page layoutPage(TLogView& view, const std::string& name, int lineHeight) {
    Page page;
    LogReader reader(logPath(name));
    const int64_t size = reader.size();
    view.Size = size;
    view.LineUpPosition = view.LineDownPosition = view.PageUpPosition = view.PageDownPosition = -1;
    if (size == 0) {
        view.Position = 0;
        return page;
    }
    const int64_t pageLines = std::max(1, static_cast<int>(view.Height) / std::max(1, lineHeight));

    // The last visible line: the log's last line when following the end, else the line
    // that ends at (holds the byte before) Position.
    const int64_t position = view.Position;  // copied: the packed field is not aligned
    const int64_t target = view.Mode == 1 ? std::clamp<int64_t>(position, 0, size) : size;
    std::vector<int64_t> starts{reader.lineStartOf(std::max<int64_t>(0, target - 1))};
    while (static_cast<int64_t>(starts.size()) < pageLines && starts.front() > 0)
        starts.insert(starts.begin(), reader.lineStartOf(starts.front() - 1));
    // Near the top of the log the page is filled downwards.
    int64_t end = reader.lineEndOf(starts.back());
    while (static_cast<int64_t>(starts.size()) < pageLines && end < size) {
        starts.push_back(end);
        end = reader.lineEndOf(end);
    }

    view.Position = end;
    if (starts.front() > 0) {
        view.LineUpPosition = starts.back();
        view.PageUpPosition = starts.front();
    }
    if (end < size) {
        view.LineDownPosition = reader.lineEndOf(end);
        int64_t pageDown = end;
        for (int64_t i = 0; i < pageLines && pageDown < size; ++i) pageDown = reader.lineEndOf(pageDown);
        view.PageDownPosition = pageDown;
    }

    for (const int64_t start : starts) {
        const int64_t lineEnd = reader.lineEndOf(start);
        std::string text = reader.read(start, std::min(lineEnd, start + kMaxDrawnLineBytes));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        page.lines.push_back({start, std::move(text)});
    }
    return page;
}

// The level of a line as this library writes it, 0 when it has none.
int levelOf(std::string_view line) {
    const size_t open = line.find(" [");
    if (open == std::string_view::npos || open > 32) return 0;
    int level = 0;
    for (size_t i = open + 2; i < line.size() && line[i] != ']'; ++i) {
        if (line[i] < '0' || line[i] > '9' || level > 1000) return 0;
        level = level * 10 + (line[i] - '0');
    }
    return level;
}

QColor levelColor(int level) {
    switch (level) {
    case 2: return QColor(0, 0, 160);    // milestone
    case 3: return QColor(160, 96, 0);   // warning
    case 5: return QColor(192, 0, 0);    // error
    default: return QColor(0, 0, 0);
    }
}

std::mutex g_imageMutex;
std::unique_ptr<QImage> g_image;  // the picture handed to the caller

QImage* paintPage(const Page& page, int width, int height, const QFont& font, const QFontMetrics& metrics) {
    std::lock_guard lock(g_imageMutex);
    if (!g_image || g_image->width() != width || g_image->height() != height)
        g_image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    g_image->fill(Qt::white);
    QPainter painter(g_image.get());
    painter.setFont(font);
    const int lineHeight = metrics.lineSpacing();
    int y = 0;
    for (const PageLine& line : page.lines) {
        if (line.start == page.marked) painter.fillRect(0, y, width, lineHeight, QColor(204, 224, 255));
        std::string text = line.text;
        for (char& c : text)
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        painter.setPen(levelColor(levelOf(text)));
        painter.drawText(2, y + metrics.ascent(), zo::platform::cp1251ToQString(text));
        y += lineHeight;
    }
    painter.end();
    return g_image.get();
}

bool haveGuiThread() {
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

// ---------------------------------------------------------------------------------------------
// Log windows (GUI thread only)

std::map<std::string, QPointer<zo::logs::LogWindow>> g_windows;

void closeWindows() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && haveGuiThread()) {
        for (auto& [name, window] : g_windows) delete window.data();
    }
    g_windows.clear();
}

struct WindowsOwner {
    WindowsOwner() = default;
    WindowsOwner(const WindowsOwner&) = delete;
    WindowsOwner& operator=(const WindowsOwner&) = delete;
    ~WindowsOwner() { closeWindows(); }  // the library is unloaded with windows still open
} g_windowsOwner;

// The log from a position on, for its window (see LogChunk).
zo::logs::LogChunk readChunk(const std::string& name, int64_t from) {
    std::lock_guard lock(g_mutex);
    LogReader reader(logPath(name));
    const int64_t size = reader.size();
    zo::logs::LogChunk chunk;
    if (from < 0 || from > size) {
        chunk.afresh = true;
        from = reader.lineStartOf(std::max<int64_t>(0, size - kMaxWindowBytes));
    }
    chunk.bytes = reader.read(from, size);
    chunk.end = from + static_cast<int64_t>(chunk.bytes.size());
    return chunk;
}

// The open window of a log takes in what was just written (interface thread only;
// the window's timer serves the other threads).
void followWindow(const std::string& name) {
    if (!haveGuiThread()) return;
    const auto it = g_windows.find(name);
    if (it != g_windows.end() && it->second) it->second->Follow();
}

// ---------------------------------------------------------------------------------------------
// The record's routines

std::string nameOf(const char* logName) { return logName ? std::string(logName) : std::string(); }

void initialize() { ensureLogFolder(); }

void finalize() {
    closeWindows();
    std::lock_guard lock(g_mutex);
    g_logs.clear();
}

void writeLine(const char* logName, const char* text, int32_t /*mode: every caller passes 3*/, int32_t level) {
    const std::string name = nameOf(logName);
    if (!validLogName(name)) return;
    {
        std::lock_guard lock(g_mutex);
        appendLocked(name, text ? text : "", level);
    }
    followWindow(name);
}

void openLog(const char* logName, int32_t limit) {
    const std::string name = nameOf(logName);
    if (!validLogName(name)) return;
    std::lock_guard lock(g_mutex);
    if (!ensureLogFolder()) return;
    g_logs[name].limit = std::max<int32_t>(limit, 0);
    const std::string path = logPath(name);
    if (limit > 0 && fileSize(path) > limit) rotate(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
}

void closeLog(const char* logName, const char* text) {
    const std::string name = nameOf(logName);
    if (!validLogName(name)) return;
    std::lock_guard lock(g_mutex);
    if (text && *text) appendLocked(name, text, kLogInformation);
    g_logs.erase(name);
}

void clearLog(const char* logName) {
    const std::string name = nameOf(logName);
    if (!validLogName(name)) return;
    std::unique_lock lock(g_mutex);
    if (!ensureLogFolder()) return;
    const int fd = ::open(logPath(name).c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
    ::unlink(rotatedPath(name).c_str());
    forgetMarks(name);
    lock.unlock();
    followWindow(name);
}

int32_t renderLogView(TLogView* view, void** graphic) {
    if (!view || !graphic) return kMissingArgument;
    const std::string name(view->LogName, strnlen(view->LogName, sizeof view->LogName));
    if (!validLogName(name)) return kBadLogName;

    const bool gui = haveGuiThread();
    const QFont font = gui ? viewFont() : QFont();
    const int lineHeight = gui ? std::max(1, QFontMetrics(font).lineSpacing()) : 1;

    Page page;
    {
        std::lock_guard lock(g_mutex);
        LogState& state = g_logs[name];
        // A press marks the line under the point on the page the user saw last; a press
        // below the last line takes the mark away. The view stays where it is.
        if (view->Action == 1 && gui && view->Y >= 0) {
            const size_t row = static_cast<size_t>(view->Y / std::max(1, state.lineHeight));
            state.markedLine = row < state.shown.size() ? state.shown[row] : -1;
        }
        page = layoutPage(*view, name, lineHeight);
        if (page.lines.empty()) state.markedLine = -1;
        state.shown.clear();
        for (const PageLine& line : page.lines) state.shown.push_back(line.start);
        state.lineHeight = lineHeight;
        page.marked = state.markedLine;
    }
    if (!gui) return kNoGui;
    if (view->Width == 0 || view->Height == 0) return kOk;  // nothing to draw into
    *graphic = paintPage(page, view->Width, view->Height, font, QFontMetrics(font));
    return kOk;
}

void showLogWindow(const char* logName, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t flag) {
    // A window needs the widget application and its thread; anywhere else this does nothing.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !haveGuiThread()) return;
    const std::string name = nameOf(logName);
    if (!validLogName(name)) return;

    QPointer<zo::logs::LogWindow>& window = g_windows[name];
    const bool created = !window;
    if (created) window = new zo::logs::LogWindow([name](int64_t from) { return readChunk(name, from); }, viewFont());
    window->setWindowTitle(zo::platform::cp1251ToQString(name));
    // Flag 0 shows the beginning of the log, any other value its end.
    window->Reload(flag != 0);
    if (right > left && bottom > top) window->setGeometry(left, top, right - left, bottom - top);
    else if (created) window->resize(640, 400);
    window->show();
    window->raise();
}

// The logging library has no log to tell its own failures to: they go to stderr.
template <zo::SlotName Name, auto Routine, auto... Failure>
constexpr auto Guarded = &zo::SlotBarrier<zo::ReportSlotFailureToStderr, Name, Routine, Failure...>::Call;

TLogsOptions g_options = {
    "ZoLogs: named log files",
    nullptr,
    nullptr,
    Guarded<"Initialize", initialize>,
    Guarded<"Finalize", finalize>,
    Guarded<"CloseLog", closeLog>,
    Guarded<"WriteLine", writeLine>,
    {nullptr, nullptr},
    Guarded<"ClearLog", clearLog>,
    Guarded<"OpenLog", openLog>,
    Guarded<"RenderLogView", renderLogView, kNoGui>,
    Guarded<"ShowLogWindow", showLogWindow>,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    if (record) *record = &g_options;
    if (size) *size = static_cast<int32_t>(sizeof(TLogsOptions));
}
