#pragma once
// TProxySettings: the proxy the connection library goes through; the program's
// option block "ConfiguratorConnect" and a field of the connection settings.

#include "common/abi/AbiLayout.h"

#include <cstdint>

namespace zo::configurator {

#pragma pack(push, 1)
struct TProxySettings {
    uint8_t UseProxy;        // 0 off, 1 on
    char ProxyServer[51];    // zero-terminated, at most 50 characters
    int32_t ProxyPort;
    char ProxyUser[51];
    char ProxyPassword[51];
};
#pragma pack(pop)
ZO_ABI_CHECK_OFFSET(TProxySettings, ProxyPort, 52, 0);
ZO_ABI_CHECK_OFFSET(TProxySettings, ProxyUser, 56, 0);
ZO_ABI_CHECK_OFFSET(TProxySettings, ProxyPassword, 107, 0);
ZO_ABI_CHECK_SIZE(TProxySettings, 158, 0);

}  // namespace zo::configurator
