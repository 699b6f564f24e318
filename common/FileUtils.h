#pragma once
// Whole-buffer file writes and the recursive file search.

#include <cstddef>
#include <string>
#include <vector>

namespace zo {

// Result codes of the buffer writes: 0 done; negative on failure (nothing thrown).
enum FileWriteResult : int { kFileOk = 0, kFileOpenFailed = -1, kFileWriteFailed = -2 };

// Truncates or creates the file, then writes exactly count bytes.
int WriteFileBuffer(const std::string& fileName, const void* buffer, size_t count);
// Appends count bytes, creating the file when it is missing.
int AppendFileBuffer(const std::string& fileName, const void* buffer, size_t count);

// Adds folder + "\" + name of every entry matching the mask that has an
// extension; with recurse, sub-folders (names without an extension) first.
// The list is never cleared.
void FindFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list, bool recurse);

}  // namespace zo
