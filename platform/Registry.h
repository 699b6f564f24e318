#pragma once
// The registry of the system over INI files (QSettings):
//   HKEY_LOCAL_MACHINE -> $XDG_CONFIG_HOME/Orvanta/machine.ini
//   HKEY_CURRENT_USER  -> $XDG_CONFIG_HOME/Orvanta/Configurator.ini
// A key "Software\Orvanta\Configurator\Sub" becomes the INI group
// "Configurator/Sub". Names and values are Windows-1251.

#include <optional>
#include <string>
#include <vector>

namespace zo::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

// The INI file behind a root.
std::string registryFile(RegistryRoot root);

// The value, or nothing when the key or the value is absent (a key is never created by reading).
std::optional<std::string> readRegistry(RegistryRoot root, const std::string& key, const std::string& name);
bool writeRegistry(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value);
bool deleteRegistryValue(RegistryRoot root, const std::string& key, const std::string& name);
std::vector<std::string> registryValueNames(RegistryRoot root, const std::string& key);

// The key of the program and its value "path" under HKEY_LOCAL_MACHINE.
inline constexpr const char* kProgramKey = "Software\\Orvanta\\Configurator";
std::string registryProgramPath();  // empty when the key or value is absent

}  // namespace zo::platform
