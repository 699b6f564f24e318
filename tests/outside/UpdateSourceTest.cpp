// An update source answering more than an update file may hold: the transfer
// ends at the bound (or at once, when the answer says its length), the bytes
// go to the receiver piece by piece and none past the bound; a file within
// the bound arrives whole. The folder source keeps the same bound.
#include "outside/ZoConnect/UpdateSource.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <filesystem>
#include <map>
#include <unistd.h>

namespace zo::connect {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kBound = 1024 * 1024;

// Answers every request with the reply of its path (HTTP/1.0, then closes).
class Server {
public:
    std::map<QByteArray, QByteArray> replies;
    Server() {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) return;
                    const QByteArray path = request_.split(' ').value(1);
                    request_.clear();
                    socket->write(replies[path]);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }
    std::string address() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }

private:
    QTcpServer server_;
    QByteArray request_;
};

struct Received {
    int64_t bytes = 0;
    int64_t largestPiece = 0;
    FetchSink sink() {
        return [this](const char*, size_t size) {
            bytes += int64_t(size);
            largestPiece = std::max(largestPiece, int64_t(size));
            return true;
        };
    }
};

TEST(UpdateSource, AnHttpAnswerPastTheBoundIsRefusedAndNeverHeldWhole) {
    Server http;
    const QByteArray body(3 * kBound, 'x');
    http.replies["/big/unsized"] = "HTTP/1.0 200 OK\r\n\r\n" + body;
    http.replies["/big/sized"] = "HTTP/1.0 200 OK\r\nContent-Length: 1610612736\r\n\r\n" + body.left(1000);
    http.replies["/big/fits"] = "HTTP/1.0 200 OK\r\nContent-Length: 524288\r\n\r\n" + body.left(524288);
    const UpdateSource source(http.address(), configurator::TProxySettings{}, kBound);
    const struct {
        const char* file;
        FetchResult result;
        int64_t atMost;
    } cases[] = {{"big/unsized", FetchResult::Refused, kBound},
                 {"big/sized", FetchResult::Refused, 0},
                 {"big/fits", FetchResult::Ok, 524288}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Received got;
        EXPECT_EQ(source.Fetch(c.file, got.sink()), c.result);
        EXPECT_LE(got.bytes, c.atMost);
        EXPECT_LE(got.largestPiece, 64 * 1024) << "handed on in pieces";
        if (c.result == FetchResult::Ok) {
            EXPECT_EQ(got.bytes, c.atMost);
        }
    }
}

TEST(UpdateSource, AFolderFilePastTheBoundIsRefused) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "e");
    test::writeBytes(dir.file("e/fits.bin"), std::string(size_t(kBound), 'x'));
    test::writeBytes(dir.file("e/big.bin"), "");
    ASSERT_EQ(::truncate(dir.file("e/big.bin").c_str(), kBound + 1), 0);
    const UpdateSource source(dir.str(), configurator::TProxySettings{}, kBound);
    Received big, fits;
    EXPECT_EQ(source.Fetch("e/big.bin", big.sink()), FetchResult::Refused);
    EXPECT_EQ(big.bytes, 0);
    EXPECT_EQ(source.Fetch("e/fits.bin", fits.sink()), FetchResult::Ok);
    EXPECT_EQ(fits.bytes, kBound);
}

}  // namespace
}  // namespace zo::connect
