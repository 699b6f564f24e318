#include "configurator/shell/Version.h"

namespace zo::configurator {

void GetVersionString(std::string& text) {
    text.clear();
#if defined(ZO_VERSION_MAJOR) && defined(ZO_VERSION_MINOR) && defined(ZO_VERSION_RELEASE) && defined(ZO_VERSION_BUILD)
    text = std::to_string(ZO_VERSION_MAJOR) + "." + std::to_string(ZO_VERSION_MINOR) + "." +
           std::to_string(ZO_VERSION_RELEASE) + "." + std::to_string(ZO_VERSION_BUILD);
#endif
}

}  // namespace zo::configurator
