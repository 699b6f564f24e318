#include "platform/DialogHook.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace zo::platform {

namespace {

std::mutex g_mutex;
DialogRunner g_runner;

}  // namespace

int runDialog(QDialog& dialog) {
    DialogRunner runner;
    {
        std::lock_guard lock(g_mutex);
        runner = g_runner;
    }
    if (!runner) {
        std::fprintf(stderr, "a dialog was rejected: no dialog runner is installed\n");
        return 0;
    }
    return runner(dialog);
}

DialogRunner setDialogRunner(DialogRunner runner) {
    std::lock_guard lock(g_mutex);
    return std::exchange(g_runner, std::move(runner));
}

}  // namespace zo::platform
