// A host that ends without unloading the kernel (after CloseProject and
// KernelDone): the kernel's library destructor then runs in the process's
// exit, after the static objects of the graphic library it bound are gone,
// and still reaches that library's GraficDone. The host is a program of its
// own, so the exit is a real one, with the sanitizers watching it.

#include "KernelHost.h"
#include "SheetKernel.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>

using namespace zo::test;

namespace {

TEST(KernelExit, AHostThatEndsWithTheKernelStillLoadedExitsCleanly) {
    ProgramFolder program;
    std::filesystem::copy(std::string(ZO_PROGRAM_DIR) + "/Library", program.sub("Library"),
                          std::filesystem::copy_options::recursive);
    TempDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.str()));

    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(QString(ZO_KERNEL_TOOLS_DIR "/kernel_exit_host"),
               {QString::fromStdString(program.path()), QString::fromUtf8(kAndPath)});
    ASSERT_TRUE(host.waitForStarted(30000)) << host.errorString().toStdString();
    if (!host.waitForFinished(120000)) {
        host.kill();
        host.waitForFinished(30000);
        FAIL() << "the host did not end";
    }
    const std::string out = host.readAllStandardOutput().toStdString();
    const std::string err = host.readAllStandardError().toStdString();
    EXPECT_EQ(out, "kernel left loaded\n") << err;
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << err;
    EXPECT_EQ(host.exitCode(), 0) << err;
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
}

}  // namespace
