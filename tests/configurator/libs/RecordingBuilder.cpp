// A builder plug-in for the build command's tests: Build writes every field
// of the record it is given into the file named by ZO_BUILDER_RECORD (one
// "Field=value" line each, callbacks as "set" or "nil"), logs one line through
// the record's Log and answers the number in ZO_BUILDER_RESULT (0 without it).
#include "common/abi/BuildParams.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
template <size_t N>
std::string field(const char (&value)[N]) {
    return std::string(value, strnlen(value, N));
}
const char* set(const void* p) { return p ? "set" : "nil"; }
}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t Build(TBuildParams* p) {
    if (const char* path = std::getenv("ZO_BUILDER_RECORD")) {
        if (FILE* out = std::fopen(path, "wb")) {
            std::fprintf(out, "Log=%s\nRunProgram=%s\nReadXmlList=%s\nReadXmlValue=%s\nCreateConfig=%s\n",
                         set(reinterpret_cast<const void*>(p->Log)), set(reinterpret_cast<const void*>(p->RunProgram)),
                         set(reinterpret_cast<const void*>(p->ReadXmlList)),
                         set(reinterpret_cast<const void*>(p->ReadXmlValue)),
                         set(reinterpret_cast<const void*>(p->CreateConfig)));
            std::fprintf(out, "ProjectName=%s\nDeviceFilePath=%s\nDeviceProgram=%s\nConfigFileType=%u\n",
                         field(p->ProjectName).c_str(), field(p->DeviceFilePath).c_str(),
                         field(p->DeviceProgram).c_str(), unsigned(p->ConfigFileType));
            std::fprintf(out, "ProgramFolder=%s\nDeviceFolder=%s\nDeviceRuntimeFolder=%s\nConfigurationFolder=%s\n",
                         field(p->ProgramFolder).c_str(), field(p->DeviceFolder).c_str(),
                         field(p->DeviceRuntimeFolder).c_str(), field(p->ConfigurationFolder).c_str());
            std::fprintf(out, "UploadFolder=%s\n", field(p->UploadFolder).c_str());
            std::fclose(out);
        }
    }
    if (p->Log) p->Log("RecordingBuilder: Build", 1);
    const char* result = std::getenv("ZO_BUILDER_RESULT");
    return result ? int32_t(std::atoi(result)) : 0;
}
