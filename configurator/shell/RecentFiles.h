#pragma once
// The recent-projects list: up to ten full project paths in the registry values
// "File_0" (newest) to "File_9" of a key (the callers pass
// Software\Orvanta\Configurator\Closed Projects under HKEY_CURRENT_USER). The
// list ends at the first missing or empty value. Paths are Windows-1251.

#include "platform/Registry.h"

#include <string>
#include <vector>

namespace zo::configurator {

inline constexpr const char* kClosedProjectsKey = "Software\\Orvanta\\Configurator\\Closed Projects";
inline constexpr int kRecentFileCount = 10;

// Puts FilePath first; the other entries follow in their order without it
// (exact, case-sensitive comparison); what no longer fits is dropped. An empty
// path changes nothing (it would end the list at once).
void AddRecentFile(platform::RegistryRoot root, const std::string& keyPath, const std::string& filePath);

// The entry Index (0..9), empty when there is none; never creates the key.
std::string GetRecentFile(platform::RegistryRoot root, const std::string& keyPath, int index);

// Drops empty entries and entries whose file does not exist, rewrites the rest
// from "File_0" on and deletes the values after them. Answers 0.
int PruneRecentFiles(platform::RegistryRoot root, const std::string& keyPath);

// The list as it stands (up to the first missing or empty value).
std::vector<std::string> RecentFiles(platform::RegistryRoot root, const std::string& keyPath);

}  // namespace zo::configurator
