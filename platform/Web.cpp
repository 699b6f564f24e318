#include "platform/Web.h"

#include "platform/UiServices.h"

#include <QDesktopServices>
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

int OpenUrlInBrowser(const QString& url) {
    const bool opened = opener() ? opener()(url) : QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
    return opened ? 42 : 2;
}

QString GetDefaultBrowserInfo() {
    // The desktop's association of web pages; no temporary file is needed to ask for it.
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/https")});
    QString program;
    if (query.waitForFinished(5000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0)
        program = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    else if (query.state() != QProcess::NotRunning) {
        query.kill();
        query.waitForFinished(1000);
    }
    if (program.isEmpty()) showMessage("Cannot determine the executable.");
    return program;
}

void SetUrlOpener(UrlOpener value) { opener() = std::move(value); }

}  // namespace zo::platform
