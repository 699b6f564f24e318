#include "outside/ZoConnect/UpdateSource.h"

#include "outside/ZoConnect/UpdateFiles.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zo::connect {

namespace fs = std::filesystem;

namespace {

constexpr int kTransferTimeoutMs = 30000;
constexpr size_t kChunkBytes = 64 * 1024;

std::string fieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

UpdateSource::UpdateSource(const std::string& address, const configurator::TProxySettings& proxy,
                           int64_t maxFileBytes)
    : proxy_(proxy), maxFileBytes_(maxFileBytes) {
    if (address.empty()) return;
    const QString text = platform::cp1251ToQString(address).trimmed();
    if (text.startsWith("http://", Qt::CaseInsensitive) || text.startsWith("https://", Qt::CaseInsensitive)) {
        kind_ = Kind::Http;
        root_ = text.toStdString();
        while (!root_.empty() && root_.back() == '/') root_.pop_back();
    } else if (text.startsWith("file:", Qt::CaseInsensitive)) {
        kind_ = Kind::Folder;
        root_ = QUrl(text).toLocalFile().toStdString();
    } else {
        kind_ = Kind::Folder;
        root_ = platform::nativePath(address);
    }
    if (kind_ == Kind::Folder && root_.empty()) kind_ = Kind::None;
}

FetchResult UpdateSource::Fetch(const std::string& relative, std::string* bytes) const {
    bytes->clear();
    const FetchResult result = Fetch(relative, [bytes](const char* data, size_t size) {
        bytes->append(data, size);
        return true;
    });
    if (result != FetchResult::Ok) bytes->clear();
    return result;
}

FetchResult UpdateSource::Fetch(const std::string& relative, const FetchSink& sink) const {
    std::string name;
    if (!ValidEntryPath(relative, &name)) return FetchResult::Refused;
    switch (kind_) {
        case Kind::None: return FetchResult::NoConnection;
        case Kind::Folder: return fetchFile(name, sink);
        case Kind::Http: return fetchHttp(name, sink);
    }
    return FetchResult::NoConnection;
}

FetchResult UpdateSource::fetchFile(const std::string& relative, const FetchSink& sink) const {
    std::error_code ec;
    if (!fs::is_directory(root_, ec)) return FetchResult::NoConnection;
    // No part below the source's folder may be a link: an update names plain files only.
    fs::path at = root_;
    for (const fs::path& part : fs::path(relative)) {
        at /= part;
        const fs::file_status status = fs::symlink_status(at, ec);
        if (status.type() == fs::file_type::not_found) return FetchResult::Missing;
        if (status.type() == fs::file_type::symlink) return FetchResult::Refused;
    }
    const int fd = ::open(at.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return FetchResult::Missing;
    struct stat st {};
    FetchResult result = FetchResult::Ok;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxFileBytes_) {
        result = FetchResult::Refused;
    } else {
        // The size read, not the size found: a file that grows meanwhile is cut at it.
        std::string chunk(kChunkBytes, '\0');
        int64_t left = st.st_size;
        while (left > 0 && result == FetchResult::Ok) {
            const ssize_t got = ::read(fd, chunk.data(), size_t(std::min<int64_t>(left, int64_t(chunk.size()))));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) result = FetchResult::Missing;
            else if (!sink(chunk.data(), size_t(got))) result = FetchResult::NotWritten;
            else left -= got;
        }
    }
    ::close(fd);
    return result;
}

FetchResult UpdateSource::fetchHttp(const std::string& relative, const FetchSink& sink) const {
    QNetworkAccessManager manager;
    if (proxy_.UseProxy) {
        manager.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy,
                                       platform::cp1251ToQString(fieldText(proxy_.ProxyServer, sizeof proxy_.ProxyServer)),
                                       quint16(proxy_.ProxyPort),
                                       platform::cp1251ToQString(fieldText(proxy_.ProxyUser, sizeof proxy_.ProxyUser)),
                                       platform::cp1251ToQString(fieldText(proxy_.ProxyPassword, sizeof proxy_.ProxyPassword))));
    } else {
        manager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
    QNetworkRequest request(QUrl(QString::fromStdString(root_ + "/" + relative)));
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
    // The answer goes to the sink as it arrives; Qt keeps no more than a piece of it.
    reply->setReadBufferSize(qint64(kChunkBytes));
    auto statusOf = [reply] { return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); };
    int64_t received = 0;
    bool tooLarge = false;
    bool notWritten = false;
    auto stop = [&](bool& why) {
        why = true;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const int status = statusOf();
        if (status >= 200 && status < 300 && length.isValid() && length.toLongLong() > maxFileBytes_) stop(tooLarge);
    });
    auto drain = [&] {
        while (!tooLarge && !notWritten && reply->bytesAvailable() > 0) {
            const QByteArray chunk = reply->read(qint64(kChunkBytes));
            const int status = statusOf();
            if (status < 200 || status >= 300) continue;  // an error page is not the file
            received += chunk.size();
            if (received > maxFileBytes_) stop(tooLarge);
            else if (!sink(chunk.constData(), size_t(chunk.size()))) stop(notWritten);
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, drain);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    drain();
    FetchResult result = FetchResult::Ok;
    const int status = statusOf();
    if (tooLarge) {
        result = FetchResult::Refused;
    } else if (notWritten) {
        result = FetchResult::NotWritten;
    } else if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        result = FetchResult::Ok;
    } else if (status >= 400 && status < 500) {
        result = FetchResult::Missing;
    } else {
        result = FetchResult::NoConnection;
    }
    delete reply;
    return result;
}

}  // namespace zo::connect
