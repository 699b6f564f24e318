#pragma once
// Kernel start and stop, and the program folders it publishes.

#include "common/abi/GraficOptions.h"

#include <cstdint>

namespace zo::kernel {

// Results of KernelDone.
enum KernelDoneResult : int32_t {
    kKernelEnded = 0,
    kKernelDoneFailed = -1,
};

}  // namespace zo::kernel

extern "C" {
void KernelInit();
// A KernelDoneResult.
int32_t KernelDone();
const char* GetProgramFolder();
const char* GetDeviceFolder();
const char* GetProjectFolder();
const char* GetStructFolder();
const char* GetUploadFolder();
const char* GetConfigurationFolder();
const char* GetDeviceRuntimeFolder();
}

namespace zo::kernel {

// Hands the graphic library the kernel's log, structure accessors, pin-list
// append and connection colours.
void WireGraficLibrary(TGraficOptions& grafic);

}  // namespace zo::kernel
