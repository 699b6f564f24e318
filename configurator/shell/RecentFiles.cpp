#include "configurator/shell/RecentFiles.h"

#include "platform/Paths.h"

namespace zo::configurator {

namespace {

std::string valueName(int index) { return "File_" + std::to_string(index); }

// Writes entries as "File_0".. and deletes the values after them, so an entry
// hidden behind an empty one never comes back into the list.
void writeList(platform::RegistryRoot root, const std::string& keyPath, const std::vector<std::string>& entries) {
    int index = 0;
    for (; index < kRecentFileCount && size_t(index) < entries.size(); ++index)
        platform::writeRegistry(root, keyPath, valueName(index), entries[size_t(index)]);
    const std::vector<std::string> names = platform::registryValueNames(root, keyPath);
    for (; index < kRecentFileCount; ++index) {
        for (const std::string& name : names)
            if (name == valueName(index)) platform::deleteRegistryValue(root, keyPath, name);
    }
}

}  // namespace

std::vector<std::string> RecentFiles(platform::RegistryRoot root, const std::string& keyPath) {
    std::vector<std::string> entries;
    for (int index = 0; index < kRecentFileCount; ++index) {
        const std::optional<std::string> value = platform::readRegistry(root, keyPath, valueName(index));
        if (!value || value->empty()) break;
        entries.push_back(*value);
    }
    return entries;
}

void AddRecentFile(platform::RegistryRoot root, const std::string& keyPath, const std::string& filePath) {
    if (filePath.empty()) return;
    std::vector<std::string> entries{filePath};
    for (const std::string& entry : RecentFiles(root, keyPath))
        if (entry != filePath) entries.push_back(entry);
    if (entries.size() > size_t(kRecentFileCount)) entries.resize(size_t(kRecentFileCount));
    writeList(root, keyPath, entries);
}

std::string GetRecentFile(platform::RegistryRoot root, const std::string& keyPath, int index) {
    if (index < 0 || index >= kRecentFileCount) return {};
    return platform::readRegistry(root, keyPath, valueName(index)).value_or(std::string());
}

int PruneRecentFiles(platform::RegistryRoot root, const std::string& keyPath) {
    std::vector<std::string> kept;
    for (const std::string& entry : RecentFiles(root, keyPath))
        if (platform::fileExists(entry)) kept.push_back(entry);
    writeList(root, keyPath, kept);
    return 0;
}

}  // namespace zo::configurator
