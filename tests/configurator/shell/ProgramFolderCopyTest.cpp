// A copy of the program folder is a program of its own: every program and
// library in it finds the libraries it needs from where it lies ($ORIGIN),
// and the copied program started loads nothing from the build tree.
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

bool isElf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, 4) && std::string(magic, 4) == "\x7f" "ELF";
}

// The RUNPATH and RPATH entries of an ELF file, as readelf shows them.
QStringList searchPaths(const fs::path& file) {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), QString::fromStdString(file.string())});
    if (!readelf.waitForFinished(30000)) return {QStringLiteral("(readelf did not run)")};
    QStringList paths;
    const QRegularExpression entry(QStringLiteral(R"(\((?:RUNPATH|RPATH)\).*\[(.*)\])"));
    for (const QString& line : QString::fromLocal8Bit(readelf.readAllStandardOutput()).split('\n')) {
        const QRegularExpressionMatch m = entry.match(line);
        if (m.hasMatch()) paths << m.captured(1).split(':');
    }
    return paths;
}

class ProgramFolderCopy : public ::testing::Test {
protected:
    void SetUp() override {
        program = dir.path() / "Copied Program";
        test::CopyProgramFolder(program.string());
    }
    test::TempDir dir;
    fs::path program;
};

TEST_F(ProgramFolderCopy, EveryProgramAndLibraryLooksForItsLibrariesBesideItself) {
    int elves = 0;
    for (const auto& e : fs::recursive_directory_iterator(program)) {
        if (!e.is_regular_file() || !isElf(e.path())) continue;
        ++elves;
        for (const QString& path : searchPaths(e.path()))
            EXPECT_TRUE(path.startsWith(QStringLiteral("$ORIGIN"))) << e.path() << ": " << path.toStdString();
    }
    EXPECT_GE(elves, 5);
}

TEST_F(ProgramFolderCopy, TheCopiedProgramLoadsNothingFromTheBuildTree) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
    env.insert("XDG_DATA_HOME", QString::fromStdString(dir.file("data")));
    env.insert("LSAN_OPTIONS", "suppressions=" ZO_SOURCE_DIR "/tests/lsan.supp");
    env.remove("LD_LIBRARY_PATH");
    env.insert("LD_DEBUG", "libs");  // the dynamic loader names every library it loads
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(dir.str()));
    p.start(QString::fromStdString((program / "Configurator").string()), {QStringLiteral("/Setup")});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString loader = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << loader.right(2000).toStdString();
    const QString built = QString::fromStdString(fs::canonical(ZO_PROGRAM_DIR).string());
    const QString copied = QString::fromStdString(fs::canonical(program).string());
    EXPECT_FALSE(loader.contains(built + "/")) << "a library of the build tree was looked for or loaded";
    EXPECT_TRUE(loader.contains("calling init: " + copied + "/System/libzoplatform.so")) << loader.right(4000).toStdString();
}

}  // namespace
}  // namespace zo::configurator
