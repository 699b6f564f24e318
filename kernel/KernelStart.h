#pragma once
// Kernel start and stop, and the program folders it publishes.

#include <cstdint>

extern "C" {
void KernelInit();
int32_t KernelDone();
const char* GetProgramFolder();
const char* GetDeviceFolder();
const char* GetProjectFolder();
const char* GetStructFolder();
const char* GetUploadFolder();
const char* GetConfigurationFolder();
const char* GetDeviceRuntimeFolder();
}
