#pragma once
// Replacing a file without ever writing into it.
//
// The new contents go into a temporary file ".<name>.XXXXXX" beside the
// file replaced, created exclusively (never an existing name, never through a link),
// held under an advisory lock while it is written, synced, and renamed over
// the target; the folder is synced after the rename, so a replacement that
// answered kReplaceOk survives a power loss. A failed or interrupted write
// leaves the previous file whole. After a replacement, the temporary files
// that earlier, interrupted replacements of the same file left behind are
// removed (only those nobody holds any more and that have not changed for a
// while).
//
// Names are operating-system paths (UTF-8, '/'), as platform::nativePath gives.

#include <cstddef>
#include <ctime>
#include <string>

namespace zo {

// What a replacement does with a symbolic link under the target's name.
enum class LinkPolicy {
    // The file the link names (through every link of a chain) is replaced and
    // the link stays: a document the user named, opened through a link, stays
    // the file it was.
    WriteThrough,
    // The link itself is replaced by the new file and what it names stays as it
    // is: a file the program makes by a fixed name in one of its own folders.
    ReplaceLink,
};

// Result codes: 0 done; negative on failure (nothing thrown, the target unchanged).
enum ReplaceResult : int {
    kReplaceOk = 0,
    kReplaceRefused = -1,        // the target is not a file the user may write
    kReplaceCreateFailed = -2,   // no temporary file in the target's folder
    kReplaceWriteFailed = -3,    // writing or syncing the temporary file failed
    kReplaceRenameFailed = -4,   // the temporary file could not be put in place
};

// A temporary file left this long unchanged (and unlocked) is taken as the
// leftover of an interrupted replacement.
constexpr time_t kLeftoverAgeSeconds = 60;

class FileReplacement {
public:
    explicit FileReplacement(std::string nativeTarget, LinkPolicy links = LinkPolicy::WriteThrough);
    // Without Commit the temporary file is removed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file beside the file replaced (the target, or the
    // file its links name, as the link policy says). mode < 0: the new file
    // gets an existing file's permission bits, else 0644 less the umask;
    // otherwise exactly mode. It gets an existing file's owner and group where
    // the user may give them. A file that exists but is not a regular file, or
    // that the user cannot write, is refused, and so is a chain of links that
    // does not end. A file of several hard links is replaced under the one
    // name: its other names keep the old contents.
    int Open(int mode = -1);
    bool Write(const void* data, size_t size);
    // Syncs, renames over the target, syncs the folder, removes leftovers.
    int Commit();

    // The open temporary file, -1 when none (for writers that stream into it).
    // It is open for reading as well, at the end of what was written.
    int Descriptor() const { return fd_; }
    const std::string& Target() const { return target_; }
    const std::string& TempName() const { return temp_; }

private:
    void discard();

    std::string target_;
    LinkPolicy links_;
    std::string path_;  // the file replaced: the target, or the file its links name
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
};

// The whole replacement with the bytes given.
int ReplaceFileContents(const std::string& nativeTarget, const void* data, size_t size, int mode = -1,
                        LinkPolicy links = LinkPolicy::WriteThrough);

// Replaces the target with a copy of a regular source file, with the source's
// permission bits; a link under the target's name is replaced (the copies go
// into the program's own folders). kReplaceRefused also when the source is
// missing or not a regular file.
int ReplaceFileWithCopy(const std::string& nativeSource, const std::string& nativeTarget);

// True when name is what a replacement of a file named base leaves as its
// temporary file: "." + base + "." + six letters or digits.
bool IsReplacementLeftoverName(const std::string& base, const std::string& name);

// Removes the leftovers of interrupted replacements of the target: regular
// files of the user named as IsReplacementLeftoverName says, unchanged for at
// least minAge seconds and locked by no writer. Answers how many were removed.
int RemoveReplacementLeftovers(const std::string& nativeTarget, time_t minAge = kLeftoverAgeSeconds);

}  // namespace zo
