// The program update: the connection library ZoConnect against a temporary
// update source (a folder, a file: address, a small HTTP server on the
// loopback address) and the program's side of it (options menu part,
// notification 1045, the two questions, the apply).
#include "common/abi/ConnectOptions.h"
#include "common/abi/ConnectSettings.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/KroConnect.h"
#include "configurator/shell/MenuXml.h"
#include "configurator/shell/Options.h"
#include "configurator/shell/ProgramUpdate.h"
#include "platform/Web.h"
#include "platform/DialogHook.h"
#include "platform/WindowMessages.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <thread>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;
using test::cp;
using test::readBytes;
using test::utf;
using test::writeBytes;

template <size_t N>
void put(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}
template <size_t N>
std::string text(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

TConnectSettings settings() {
    TConnectSettings s{};
    ConnectOptionsPtr->GetSettings(&s);
    return s;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    writeBytes(path.string(), bytes);
}

// An update source folder: update.xml with the entries given and the files below <entry>/.
struct Source {
    test::TempDir dir;
    void list(const std::string& entries) {
        writeFile(dir.path() / "update.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><UPDATE>" + entries + "</UPDATE>");
    }
    void file(const std::string& relative, const std::string& bytes) { writeFile(dir.path() / relative, bytes); }
};

// The notices the library posts, counted by a window of the test's own.
struct NoticeWindow {
    QObject receiver;
    int notices = 0;
    intptr_t lastKind = 0;
    uint32_t token = platform::RegisterMessageWindow(&receiver, [this](uint32_t message, intptr_t kind, intptr_t) {
        if (message == kConnectNotifyMessage) {
            ++notices;
            lastKind = kind;
        }
    });
    bool waitFor(int count) {
        return QTest::qWaitFor([&] { return notices >= count; }, 20000);
    }
};

// The real library bound from the program folder, with its settings pointed
// at a temporary program folder and a source.
class Library : public ::testing::Test {
protected:
    void SetUp() override {
        LoadConnectLibrary(std::string(ZO_PROGRAM_DIR) + "/System", nullptr, nullptr, nullptr);
        ASSERT_NE(ConnectOptionsPtr, nullptr);
        TConnectSettings s = settings();
        s.WindowHandle = window.token;
        put(s.UpdateSource, source.dir.str());
        put(s.ProgramFolder, program.str());
        put(s.UpdateFolder, program.str() + "\\Update");
        put(s.TargetName, "Configurator");
        s.AskDownload = 1;
        ConnectOptionsPtr->SetSettings(&s);
    }
    void TearDown() override { UnloadConnectLibrary(nullptr); }

    // One operation; true when its notice came.
    bool run(bool askDownload, const std::string& target = "Configurator") {
        TConnectSettings s = settings();
        s.AskDownload = askDownload ? 1 : 0;
        put(s.TargetName, target);
        ConnectOptionsPtr->SetSettings(&s);
        const int before = window.notices;
        ConnectOptionsPtr->StartDownload();
        return window.waitFor(before + 1);
    }
    int32_t apply(const std::string& target = "Configurator") {
        return ConnectOptionsPtr->ApplyUpdate(target.c_str(), program.str().c_str(),
                                              (program.str() + "\\Update").c_str());
    }
    std::string prog(const std::string& relative) const { return (program.path() / relative).string(); }

    test::TempDir configDir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", configDir.str()};
    Source source;
    test::TempDir program;
    NoticeWindow window;
};

TEST_F(Library, CheckTellsOfANewVersionAndWritesTheUpdateList) {
    source.list(R"(<Configurator IM="Orvanta Configurator" VERSION="2" INFO="Версия 2"/><Library IM="Библиотека" VERSION="1"/>)");
    ASSERT_TRUE(run(true));
    EXPECT_EQ(window.lastKind, kConnectOperationEnded);
    TConnectSettings s = settings();
    EXPECT_EQ(ZO_FIELD(s, ConnectError), 0);
    EXPECT_NE(ZO_FIELD(s, UpdateAvailable1), 0);
    EXPECT_EQ(utf(text(s.UpdateInfo)), "Версия 2");
    EXPECT_EQ(ZO_FIELD(s, UpdateReady), 0);
    // The list the menus read is the source's, under the one name update.xml.
    EXPECT_EQ(readBytes(prog("Update/update.xml")), readBytes(source.dir.file("update.xml")));
    std::string name;
    EXPECT_EQ(GetUpdateEntryName(program.str() + "\\Update\\update.xml", 1, &name), kMenuXmlOk);
    EXPECT_EQ(name, "Library");
    EXPECT_FALSE(fs::exists(prog("Update/Configurator"))) << "a check downloads nothing";
}

TEST_F(Library, NoSourceIsNoConnection) {
    TConnectSettings s = settings();
    put(s.UpdateSource, (source.dir.path() / "gone").string());
    ConnectOptionsPtr->SetSettings(&s);
    ASSERT_TRUE(run(true));
    EXPECT_NE(ZO_FIELD(settings(), ConnectError), 0);
    EXPECT_EQ(ZO_FIELD(settings(), UpdateAvailable1), 0);
}

TEST_F(Library, AppliedUpdateReplacesFilesByRenameAndIsNotOfferedAgain) {
    source.list(R"(<Configurator VERSION="7" INFO="i"><FILE NAME="System\Thing.so"/><FILE NAME="Struct/Fresh" EXEC="1"/></Configurator>)");
    source.file("Configurator/System/Thing.so", "new thing");
    source.file("Configurator/Struct/Fresh", "fresh");
    writeFile(prog("System/Thing.so"), "old thing");
    ::chmod(prog("System/Thing.so").c_str(), 0750);
    // A loaded library holds its file open: it must keep reading the old bytes.
    const int held = ::open(prog("System/Thing.so").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);

    ASSERT_TRUE(run(false));
    EXPECT_EQ(ZO_FIELD(settings(), UpdateReady), 1);
    EXPECT_EQ(readBytes(prog("System/Thing.so")), "old thing") << "a download touches only the update folder";
    ASSERT_EQ(apply(), kApplyOk);

    EXPECT_EQ(readBytes(prog("System/Thing.so")), "new thing");
    EXPECT_EQ(readBytes(prog("Struct/Fresh")), "fresh");
    struct stat st {};
    ASSERT_EQ(::stat(prog("System/Thing.so").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u) << "the replaced file keeps its rights";
    ASSERT_EQ(::stat(prog("Struct/Fresh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    char old[16] = {};
    EXPECT_EQ(::pread(held, old, sizeof old - 1, 0), 9);
    EXPECT_STREQ(old, "old thing");
    ::close(held);
    EXPECT_EQ(test::filesIn(prog("System")), std::vector<std::string>{"Thing.so"}) << "no old copy left";
    EXPECT_FALSE(fs::exists(prog("Update/Configurator"))) << "the staged files are gone";
    EXPECT_EQ(ZO_FIELD(settings(), UpdateReady), 0);

    ASSERT_TRUE(run(true));
    EXPECT_EQ(ZO_FIELD(settings(), UpdateAvailable1), 0) << "the version applied is not offered again";
    EXPECT_EQ(apply(), kApplyNothingStaged);
}

TEST_F(Library, FailedApplyRestoresWhatItMoved) {
    source.list(R"(<Configurator VERSION="3"><FILE NAME="a.txt"/><FILE NAME="locked/b.txt"/></Configurator>)");
    source.file("Configurator/a.txt", "new a");
    source.file("Configurator/locked/b.txt", "new b");
    writeFile(prog("a.txt"), "old a");
    writeFile(prog("locked/b.txt"), "old b");
    ASSERT_TRUE(run(false));
    ASSERT_EQ(ZO_FIELD(settings(), UpdateReady), 1);
    const int code = test::RunWithReadOnlyFolder(prog("locked"), [&] { return apply() == kApplyFailed ? 0 : 1; });
    if (code == 99) GTEST_SKIP() << "file permissions do not hold here";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(prog("a.txt")), "old a") << "the first file, already moved, has its old contents back";
    EXPECT_EQ(readBytes(prog("locked/b.txt")), "old b");
    EXPECT_EQ(test::filesIn(program.str()), (std::vector<std::string>{"Update", "a.txt", "locked"}));
    EXPECT_EQ(test::filesIn(prog("locked")), std::vector<std::string>{"b.txt"});
    EXPECT_TRUE(fs::exists(prog("Update/Configurator/.manifest"))) << "the download stays for another try";
    EXPECT_EQ(apply(), kApplyOk);
    EXPECT_EQ(readBytes(prog("locked/b.txt")), "new b");
}

TEST_F(Library, EntriesNamingPathsOutsideOrLinksAreRefused) {
    fs::create_directories(source.dir.path() / "Configurator");
    fs::create_symlink(source.dir.file("update.xml"), source.dir.path() / "Configurator" / "link.so");
    const struct {
        const char* file;
    } cases[] = {{"../escape.txt"}, {"/tmp/absolute.txt"}, {"a/../../escape.txt"}, {"link.so"}, {""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        source.list(std::string(R"(<Configurator VERSION="9"><FILE NAME=")") + c.file + R"("/></Configurator>)");
        ASSERT_TRUE(run(false));
        EXPECT_EQ(ZO_FIELD(settings(), UpdateReady), 0);
        EXPECT_EQ(ZO_FIELD(settings(), LastError), -2);
        EXPECT_FALSE(fs::exists(prog("Update/Configurator")));
        EXPECT_EQ(apply(), kApplyNothingStaged);
    }
    EXPECT_FALSE(fs::exists(program.path().parent_path() / "escape.txt"));
    // A target name that is no plain name is not worked on either.
    source.list(R"(<Configurator VERSION="9"/>)");
    ASSERT_TRUE(run(true, "../Configurator"));
    EXPECT_EQ(ZO_FIELD(settings(), UpdateAvailable1), 0);
    EXPECT_EQ(apply("../Configurator"), kApplyNothingStaged);
}

TEST_F(Library, ProgramFileInTheWayAsAFolderOrLinkIsRefusedBeforeAnythingMoves) {
    source.list(R"(<Configurator VERSION="4"><FILE NAME="a.txt"/><FILE NAME="b.txt"/></Configurator>)");
    source.file("Configurator/a.txt", "new a");
    source.file("Configurator/b.txt", "new b");
    writeFile(prog("a.txt"), "old a");
    writeFile(prog("elsewhere.txt"), "not ours");
    fs::create_symlink(prog("elsewhere.txt"), prog("b.txt"));
    ASSERT_TRUE(run(false));
    EXPECT_EQ(apply(), kApplyRefused);
    EXPECT_EQ(readBytes(prog("a.txt")), "old a");
    EXPECT_EQ(readBytes(prog("elsewhere.txt")), "not ours");
    EXPECT_TRUE(fs::is_symlink(prog("b.txt")));
}

TEST_F(Library, FileAddressIsASourceToo) {
    source.list(R"(<Configurator VERSION="5" INFO="five"/>)");
    TConnectSettings s = settings();
    put(s.UpdateSource, QUrl::fromLocalFile(QString::fromStdString(source.dir.str())).toString().toStdString());
    ConnectOptionsPtr->SetSettings(&s);
    ASSERT_TRUE(run(true));
    EXPECT_NE(ZO_FIELD(settings(), UpdateAvailable1), 0);
    EXPECT_EQ(text(settings().UpdateInfo), "five");
}

// A small HTTP/1.0 server on the loopback address serving fixed files.
class LoopbackServer {
public:
    std::map<std::string, std::string> files;
    QStringList requests;
    LoopbackServer() {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }
    std::string address() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/updates"; }

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) return;
        const QByteArray path = request.split(' ').value(1);
        pending_.remove(socket);
        requests << QString::fromLatin1(path);
        const auto it = files.find(path.toStdString());
        QByteArray reply;
        if (it == files.end()) {
            reply = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        } else {
            reply = "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(qsizetype(it->second.size())) +
                    "\r\nConnection: close\r\n\r\n" + QByteArray::fromStdString(it->second);
        }
        socket->write(reply);
        socket->disconnectFromHost();
    }
    QTcpServer server_;
    QMap<QTcpSocket*, QByteArray> pending_;
};

TEST_F(Library, HttpSourceOnTheLoopbackServesCheckAndDownload) {
    LoopbackServer http;
    http.files["/updates/update.xml"] =
        R"(<?xml version="1.0" encoding="UTF-8"?><UPDATE><Device VERSION="2" INFO="Новое описание"><FILE NAME="Device/plc.xml"/></Device></UPDATE>)";
    http.files["/updates/Device/Device/plc.xml"] = "<DEVICE/>";
    TConnectSettings s = settings();
    put(s.UpdateSource, http.address());
    ConnectOptionsPtr->SetSettings(&s);
    ASSERT_TRUE(run(true, "Device"));
    EXPECT_EQ(ZO_FIELD(settings(), ConnectError), 0);
    EXPECT_NE(ZO_FIELD(settings(), UpdateAvailable1), 0);
    EXPECT_EQ(utf(text(settings().UpdateInfo)), "Новое описание");
    ASSERT_TRUE(run(false, "Device"));
    EXPECT_EQ(ZO_FIELD(settings(), UpdateReady), 1);
    EXPECT_EQ(http.requests, (QStringList{"/updates/update.xml", "/updates/update.xml", "/updates/Device/Device/plc.xml"}));
    ASSERT_EQ(apply("Device"), kApplyOk);
    EXPECT_EQ(readBytes(prog("Device/plc.xml")), "<DEVICE/>");

    // A file the server does not have ends the download without a staged update.
    http.files["/updates/update.xml"] =
        R"(<?xml version="1.0" encoding="UTF-8"?><UPDATE><Device VERSION="3"><FILE NAME="missing.xml"/></Device></UPDATE>)";
    ASSERT_TRUE(run(false, "Device"));
    EXPECT_EQ(ZO_FIELD(settings(), UpdateReady), 0);
    EXPECT_EQ(ZO_FIELD(settings(), ConnectError), 0);
}

// ---------------------------------------------------------------------------------------------
// The program's side

// Answers the update questions in turn and records them (title, text).
class Answers {
public:
    std::vector<const char*> buttons;  // "Yes" / "No" in order; then "No"
    std::vector<std::pair<QString, QString>> seen;
    std::function<void()> whileOpen;
    Answers() {
        previous_ = platform::setDialogRunner([this](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            seen.emplace_back(dialog.windowTitle(), box ? box->text() : QString());
            if (whileOpen) whileOpen();
            const char* button = seen.size() <= buttons.size() ? buttons[seen.size() - 1] : "No";
            dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
            return dialog.result();
        });
    }
    ~Answers() { platform::setDialogRunner(previous_); }

private:
    platform::DialogRunner previous_;
};

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        fake.setText("GetProgramFolder", program.str());
        kernel.SetRecord(&fake.record());
        std::memset(ProgramOptionBlocks().Update, 0, sizeof ProgramOptionBlocks().Update);
        update = std::make_unique<TProgramUpdate>(kernel, [this](int panel, const QString& text) {
            statusTexts << QString::number(panel) + ":" + text;
        });
        ASSERT_TRUE(update->StartConnectSession());
        TConnectSettings s = settings();
        put(s.UpdateSource, source.dir.str());
        ConnectOptionsPtr->SetSettings(&s);
    }
    void TearDown() override {
        update.reset();
        UnloadConnectLibrary(nullptr);
    }
    double storedUpdateTime() const {
        double days = 0;
        std::memcpy(&days, ProgramOptionBlocks().Update + 8, sizeof days);
        return days;
    }
    // Runs the program's click and the notices that follow until the questions
    // are answered, then until every event posted by then (the library's notices
    // among them) and every event their handling posted has been handled: a
    // notice after the last question is handled too.
    void waitForQuestions(const Answers& answers, size_t count) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.seen.size() >= count; }, 20000));
        constexpr int kRounds = 3;
        int rounds = 0;
        std::function<void()> mark = [&] {
            if (++rounds < kRounds) QMetaObject::invokeMethod(qApp, mark, Qt::QueuedConnection);
        };
        QMetaObject::invokeMethod(qApp, mark, Qt::QueuedConnection);
        EXPECT_TRUE(QTest::qWaitFor([&] { return rounds == kRounds; }, 20000));
    }

    test::TempDir configDir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", configDir.str()};
    test::ScopedCurrentDir here{ZO_PROGRAM_DIR};
    test::FakeKernel fake;
    TProjectSession kernel;
    Source source;
    test::TempDir program;
    test::UiRecorder ui;
    QStringList statusTexts;
    std::unique_ptr<TProgramUpdate> update;
};

TEST_F(Program, SessionHandsTheLibraryTheProgramsSettings) {
    std::strcpy(ProgramOptionBlocks().Connect.ProxyServer, "proxy.local");
    UnloadConnectLibrary(nullptr);
    ASSERT_TRUE(update->StartConnectSession());
    const TConnectSettings s = settings();
    EXPECT_EQ(ZO_FIELD(s, WindowHandle), update->WindowToken());
    EXPECT_EQ(ZO_FIELD(s, NotifyMessage), 1045u);
    EXPECT_EQ(text(s.ProgramFolder), program.str());
    EXPECT_EQ(text(s.UpdateFolder), program.str() + "\\Update");
    EXPECT_EQ(text(s.TargetName), "Configurator");
    EXPECT_EQ(ZO_FIELD(s, AskDownload), 1);
    EXPECT_EQ(text(s.Proxy.ProxyServer), "proxy.local");
    std::memset(&ProgramOptionBlocks().Connect, 0, sizeof ProgramOptionBlocks().Connect);

    // Without a kernel the folders sent are empty.
    UnloadConnectLibrary(nullptr);
    kernel.SetRecord(nullptr);
    ASSERT_TRUE(update->StartConnectSession());
    EXPECT_EQ(text(settings().ProgramFolder), "");
    EXPECT_EQ(text(settings().UpdateFolder), "");
}

TEST_F(Program, FullUpdateAsksTwiceAppliesAndStoresTheTime) {
    source.list(R"(<Configurator VERSION="2" INFO="Исправления"><FILE NAME="System/Thing.so"/></Configurator>)");
    source.file("Configurator/System/Thing.so", "new");
    writeFile(program.path() / "System" / "Thing.so", "old");
    Answers answers;
    answers.buttons = {"Yes", "Yes"};
    const std::time_t before = std::time(nullptr);
    update->UpdateConfiguratorClick();
    waitForQuestions(answers, 2);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].first, "Загрузить обновление программы?");
    EXPECT_EQ(answers.seen[0].second, "Доступно обновление \"Configurator\"\n\rИсправления\n\rзагрузить обновление?");
    EXPECT_EQ(answers.seen[1].first, "Применить обновление программы?");
    EXPECT_EQ(answers.seen[1].second, "Исправления\n\rприменить обновление?");
    EXPECT_EQ(readBytes((program.path() / "System" / "Thing.so").string()), "new");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Обновление программы будут\n\rдоступны после перезапуска\n\rпрограммы.");
    EXPECT_NEAR(storedUpdateTime(), DaysSince1899(before), 1.0 / 24 / 60);
}

TEST_F(Program, AnsweredNoIsOfferedAgainAndASecondNoticeDoesNotStackAQuestion) {
    source.list(R"(<Configurator VERSION="2" INFO="x"/>)");
    Answers answers;
    answers.buttons = {"No", "No"};
    int posted = 0;
    answers.whileOpen = [&] {
        // Another notice while the question is open: handled, but not asked.
        if (posted++ == 0) {
            platform::PostWindowMessage(update->WindowToken(), kConnectNotifyMessage, kConnectOperationEnded, 0);
            QCoreApplication::processEvents();
        }
    };
    update->UpdateConfiguratorClick();
    waitForQuestions(answers, 1);
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(ZO_FIELD(settings(), AskDownload), 1) << "No downloads nothing";
    update->UpdateConfiguratorClick();
    waitForQuestions(answers, 2);
    EXPECT_EQ(answers.seen.size(), 2u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(storedUpdateTime(), 0.0);
}

TEST_F(Program, ReadyUpdateGoesStraightToTheApplyQuestionAndAFailureStoresNothing) {
    // Staged by a download the library reports as ready, then the program
    // folder file made a folder, so the apply cannot put it in place.
    source.list(R"(<Configurator VERSION="2" INFO="y"><FILE NAME="Thing"/></Configurator>)");
    source.file("Configurator/Thing", "new");
    TConnectSettings s = settings();
    s.AskDownload = 0;
    ConnectOptionsPtr->SetSettings(&s);
    Answers answers;
    answers.buttons = {"Yes"};
    fs::create_directories(program.path() / "Thing" / "inside");
    ConnectOptionsPtr->StartDownload();
    waitForQuestions(answers, 1);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].first, "Применить обновление программы?");
    EXPECT_TRUE(fs::is_directory(program.path() / "Thing" / "inside"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Обновление \"Configurator\" не применено.");
    EXPECT_EQ(storedUpdateTime(), 0.0);
}

TEST_F(Program, NoConnectionShowsInTheStatusBar) {
    TConnectSettings s = settings();
    put(s.UpdateSource, "");
    ConnectOptionsPtr->SetSettings(&s);
    update->UpdateConfiguratorClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !statusTexts.isEmpty(); }, 20000));
    EXPECT_EQ(statusTexts, QStringList{"3:нет соеденения"});
    EXPECT_EQ(ZO_FIELD(settings(), ConnectState), 0);
}

TEST_F(Program, OptionsMenuPartFromTheUpdateListAndItemsKeepTheirEntry) {
    QMenu menu;
    update->AddUpdateMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.actions()[0]->text(), "Обновить Orvanta Configurator");

    writeFile(program.path() / "Update" / "update.xml",
              R"(<?xml version="1.0" encoding="UTF-8"?><UPDATE><Configurator IM="Программа"/><Library/></UPDATE>)");
    menu.clear();
    menu.addAction("Настройки");
    update->AddUpdateMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 4);
    EXPECT_TRUE(menu.actions()[1]->isSeparator());
    QMenu* updates = menu.actions()[2]->menu();
    ASSERT_NE(updates, nullptr);
    EXPECT_EQ(menu.actions()[2]->text(), "Обновить");
    EXPECT_EQ(menu.actions()[3]->text(), "Структура обновления");
    ASSERT_EQ(updates->actions().size(), 2);
    EXPECT_EQ(updates->actions()[1]->text(), "Library");
    QStringList opened;
    platform::SetUrlOpener([&opened](const QString& url) {
        opened << url;
        return true;
    });
    menu.actions()[3]->trigger();
    platform::SetUrlOpener({});
    EXPECT_EQ(opened, QStringList{QUrl::fromLocalFile(QString::fromStdString(program.str() + "/Update/update.xml")).toString()});

    // The list rewritten after the menu was built: the item still updates "Library".
    writeFile(program.path() / "Update" / "update.xml",
              R"(<?xml version="1.0" encoding="UTF-8"?><UPDATE><Other/><Configurator/></UPDATE>)");
    source.list(R"(<Library VERSION="1" INFO="lib"/>)");
    Answers answers;
    updates->actions()[1]->trigger();
    waitForQuestions(answers, 1);
    EXPECT_EQ(text(settings().TargetName), "Library");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].second, "Доступно обновление \"Library\"\n\rlib\n\rзагрузить обновление?");
}

TEST(WindowMessages, QueuedToTheWindowFromAnyThreadAndSwallowedOnceItIsGone) {
    auto* receiver = new QObject;
    std::vector<std::pair<uint32_t, intptr_t>> got;
    const uint32_t token = platform::RegisterMessageWindow(receiver, [&](uint32_t message, intptr_t wParam, intptr_t) {
        got.emplace_back(message, wParam);
    });
    ASSERT_NE(token, 0u);
    bool posted = false;
    std::thread worker([&] { posted = platform::PostWindowMessage(token, 1045, 1, 0); });
    worker.join();
    EXPECT_TRUE(posted);
    EXPECT_TRUE(got.empty()) << "queued, not called on the posting thread";
    QCoreApplication::processEvents();
    EXPECT_EQ(got, (std::vector<std::pair<uint32_t, intptr_t>>{{1045u, 1}}));
    EXPECT_TRUE(platform::PostWindowMessage(token, 1045, 2, 0));
    delete receiver;
    QCoreApplication::processEvents();
    EXPECT_EQ(got.size(), 1u);
    EXPECT_FALSE(platform::PostWindowMessage(token, 1045, 3, 0));
}

TEST(DaysSince1899, CountsLocalDaysFromTheEpochOfTheDateType) {
    test::ScopedEnv tz("TZ", "UTC");
    tzset();
    EXPECT_DOUBLE_EQ(DaysSince1899(0), 25569.0);
    EXPECT_DOUBLE_EQ(DaysSince1899(86400 + 43200), 25570.5);
    unsetenv("TZ");
    tzset();
}

}  // namespace
}  // namespace zo::configurator
