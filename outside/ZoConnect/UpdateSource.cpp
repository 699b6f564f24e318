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

#include <cstring>
#include <filesystem>

namespace zo::connect {

namespace fs = std::filesystem;

namespace {

constexpr int kTransferTimeoutMs = 30000;
constexpr off_t kMaxFileBytes = off_t(512) * 1024 * 1024;

std::string fieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

UpdateSource::UpdateSource(const std::string& address, const configurator::TProxySettings& proxy) : proxy_(proxy) {
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
    std::string name;
    if (!ValidEntryPath(relative, &name)) return FetchResult::Refused;
    switch (kind_) {
        case Kind::None: return FetchResult::NoConnection;
        case Kind::Folder: return fetchFile(name, bytes);
        case Kind::Http: return fetchHttp(name, bytes);
    }
    return FetchResult::NoConnection;
}

FetchResult UpdateSource::fetchFile(const std::string& relative, std::string* bytes) const {
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
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) {
        result = FetchResult::Refused;
    } else {
        bytes->resize(size_t(st.st_size));
        size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += size_t(got);
        }
        if (done != bytes->size()) result = FetchResult::Missing;
    }
    ::close(fd);
    if (result != FetchResult::Ok) bytes->clear();
    return result;
}

FetchResult UpdateSource::fetchHttp(const std::string& relative, std::string* bytes) const {
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
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    FetchResult result = FetchResult::Ok;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        const QByteArray body = reply->readAll();
        bytes->assign(body.constData(), size_t(body.size()));
    } else if (status >= 400 && status < 500) {
        result = FetchResult::Missing;
    } else {
        result = FetchResult::NoConnection;
    }
    delete reply;
    return result;
}

}  // namespace zo::connect
