#pragma once
// A log window of the logging library: one log shown as text that follows the
// log, so the lines written after the window opened appear as they come. The
// library tells the window of every line it writes on the interface thread; a
// 500-ms timer picks up lines written from elsewhere.

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QFont;
class QPlainTextEdit;

namespace zo::logs {

// What a log holds from a byte position on. A position the log no longer
// reaches (the log was cleared or moved aside) gives the log afresh (its last
// part when it is long), with Afresh set.
struct LogChunk {
    std::string bytes;  // whole lines, Windows-1251
    int64_t end = 0;    // the position just past them
    bool afresh = false;
};

// Reads the window's log from a position; a negative position asks for the log afresh.
using LogChunkReader = std::function<LogChunk(int64_t from)>;

class LogWindow : public QWidget {
public:
    LogWindow(LogChunkReader reader, const QFont& font);

    // Shows the log afresh, with its end (or its beginning) in view.
    void Reload(bool showEnd);
    // Adds what was written to the log since the last look; a view that stood
    // at the end of the text stays at the end.
    void Follow();

    QPlainTextEdit* Text() const { return text_; }

private:
    void Put(const LogChunk& chunk);

    LogChunkReader reader_;
    QPlainTextEdit* text_;
    QTimer timer_;
    int64_t shownEnd_ = -1;
};

}  // namespace zo::logs
