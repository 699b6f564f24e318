#include "outside/ZoLogs/LogWindow.h"

#include "platform/Cp1251.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include <utility>

namespace zo::logs {

namespace {

constexpr int kFollowMs = 500;

QString linesOf(std::string bytes) {
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
    return platform::cp1251ToQString(bytes);
}

}  // namespace

LogWindow::LogWindow(LogChunkReader reader, const QFont& font)
    : QWidget(nullptr, Qt::Window), reader_(std::move(reader)), text_(new QPlainTextEdit(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(font);
    layout->addWidget(text_);
    timer_.setInterval(kFollowMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Follow(); });
    timer_.start();
}

void LogWindow::Reload(bool showEnd) {
    shownEnd_ = -1;
    Put(reader_(-1));
    text_->moveCursor(showEnd ? QTextCursor::End : QTextCursor::Start);
    text_->ensureCursorVisible();
}

void LogWindow::Follow() {
    QScrollBar* bar = text_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const LogChunk chunk = reader_(shownEnd_);
    if (!chunk.afresh && chunk.end == shownEnd_) return;
    Put(chunk);
    if (atEnd) bar->setValue(bar->maximum());
}

void LogWindow::Put(const LogChunk& chunk) {
    if (chunk.afresh) text_->setPlainText(linesOf(chunk.bytes));
    else if (!chunk.bytes.empty()) text_->appendPlainText(linesOf(chunk.bytes));
    shownEnd_ = chunk.end;
}

}  // namespace zo::logs
