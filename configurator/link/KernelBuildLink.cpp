#include "configurator/link/KernelBuildLink.h"

#include "common/StringList.h"

namespace zo::link {

int32_t TKernelBuildLink::CreateConfigFile(const std::string& cfgPath, const char* logName,
                                           std::vector<std::string>& libraries) {
    libraries.clear();
    if (!k_->CreateConfigFile) return -1;
    TStringListTable list;
    const int32_t rc = k_->CreateConfigFile(cfgPath.c_str(), logName, list.List());
    libraries = list.Items();
    return rc;
}

}  // namespace zo::link
