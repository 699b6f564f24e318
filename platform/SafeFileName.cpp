#include "platform/SafeFileName.h"

#include <cstring>

namespace zo::platform {

std::string SafeFileName(const std::string& name) {
    std::string result = name;
    for (char& c : result)
        if (c != '\0' && std::strchr("\"*/:<>?\\|", c)) c = '_';
    return result;
}

}  // namespace zo::platform
