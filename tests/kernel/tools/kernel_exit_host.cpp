// A host that binds the kernel as the program does, has it draw a block
// picture (so the graphic library keeps what it painted), closes the project,
// ends the kernel with KernelDone and then leaves main with the kernel still
// loaded: the kernel's library destructor runs during the process's exit,
// after the static objects of the libraries it bound.
//   kernel_exit_host <program folder> <block description path>
// Prints "kernel left loaded" once every step answered as it should; exit code
// 0, or the number of the step that failed.
#include "common/KroKernelConfig.h"
#include "platform/DynLib.h"

#include <QGuiApplication>

#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace {

void logLine(const char* text, uint8_t level) {
    if (level >= 3) std::fprintf(stderr, "log %u: %s\n", unsigned(level), text ? text : "");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || ::chdir(argv[1]) != 0) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    void* convert = zo::platform::loadLibrary(std::string(argv[1]) + "/System/ZoConvert.so");
    auto convertInfo = reinterpret_cast<void (*)(void**, int32_t*)>(zo::platform::findSymbol(convert, "GetInfo"));
    if (!convertInfo) return 3;
    void* convertRecord = nullptr;
    int32_t convertSize = 0;
    convertInfo(&convertRecord, &convertSize);

    zo::LoadKernelLibrary("\\system", nullptr, nullptr, logLine);
    TKernelOptions* kernel = zo::KernelOptionsPtr;
    if (!kernel) return 4;
    kernel->ConvertOptions = static_cast<TConvertOptions*>(convertRecord);
    kernel->KernelInit();

    void* picture = nullptr;
    if (kernel->DrawBlockPicture(argv[2], &picture) != 0 || !picture) return 5;
    kernel->ReleaseObject(&picture);
    if (kernel->CloseProject("") != 0) return 6;
    if (kernel->KernelDone() != 0) return 7;

    // Neither library is unloaded: the process's exit ends them.
    std::printf("kernel left loaded\n");
    std::fflush(stdout);
    return 0;
}
