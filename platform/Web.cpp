#include "platform/Web.h"

#include "platform/UiServices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace zo::platform {

namespace {

UrlOpener& opener() {
    static UrlOpener value;
    return value;
}

}  // namespace

QString SiteAddress() { return QStringLiteral("https://") + QString::fromLatin1(kSiteHost); }

std::string UrlEncode(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == ' ') {
            out += '+';
        } else if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                   byte == '_') {
            out += ch;
        } else {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 0x0F];
        }
    }
    return out;
}

namespace {

// The program xdg-mime names as the default for a MIME type (or a scheme
// handler's type); empty when it names none or cannot be asked.
QString defaultProgramFor(const QString& mimeType) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    QString program;
    if (query.waitForFinished(5000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0)
        program = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    else if (query.state() != QProcess::NotRunning) {
        query.kill();
        query.waitForFinished(1000);
    }
    return program;
}

// The program the desktop opens the address with: a folder's file manager, a
// file's program (else the browser, which shows XML files), a scheme's handler;
// none for a file or folder that is not there.
QString programFor(const QUrl& url) {
    if (url.isLocalFile()) {
        const QFileInfo path(url.toLocalFile());
        if (!path.exists()) return {};
        if (path.isDir()) return defaultProgramFor(QStringLiteral("inode/directory"));
        const QString program = defaultProgramFor(QMimeDatabase().mimeTypeForFile(path).name());
        return program.isEmpty() ? defaultProgramFor(QStringLiteral("x-scheme-handler/https")) : program;
    }
    return defaultProgramFor(QStringLiteral("x-scheme-handler/") + url.scheme());
}

bool openWithDesktop(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    return !programFor(url).isEmpty() && QDesktopServices::openUrl(url);
}

}  // namespace

int OpenUrlInBrowser(const QString& url) {
    const bool opened = opener() ? opener()(url) : openWithDesktop(url);
    if (!opened) showMessage(kNoBrowserMessage);
    return opened ? 42 : 2;
}

QString GetDefaultBrowserInfo() {
    // The desktop's association of web pages; no temporary file is needed to ask for it.
    const QString program = defaultProgramFor(QStringLiteral("x-scheme-handler/https"));
    if (program.isEmpty()) showMessage(kNoBrowserMessage);
    return program;
}

void SetUrlOpener(UrlOpener value) { opener() = std::move(value); }

}  // namespace zo::platform
