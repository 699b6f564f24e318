#include "common/FileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

namespace zo {

namespace {

struct FolderAndName {
    std::string folder;
    std::string name;
};

FolderAndName splitTarget(const std::string& target) {
    const size_t slash = target.find_last_of('/');
    if (slash == std::string::npos) return {".", target};
    return {slash == 0 ? std::string("/") : target.substr(0, slash), target.substr(slash + 1)};
}

const char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kSuffixLength = 6;

bool isNameLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string randomSuffix() {
    unsigned char bytes[kSuffixLength] = {};
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != ssize_t(sizeof bytes)) {
        // No entropy yet: a name from the clock and the process; O_EXCL still
        // keeps two writers apart.
        static uint64_t counter = 0;
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        uint64_t x = uint64_t(now.tv_nsec) ^ (uint64_t(now.tv_sec) << 20) ^ (uint64_t(getpid()) << 40) ^ ++counter;
        for (unsigned char& b : bytes) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            b = static_cast<unsigned char>(x >> 56);
        }
    }
    std::string out(kSuffixLength, 'A');
    for (size_t i = 0; i < kSuffixLength; ++i) out[i] = kNameLetters[bytes[i] % (sizeof kNameLetters - 1)];
    return out;
}

bool writeAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

// Syncs a folder's entries; file systems that cannot sync a folder count as done.
bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return ok;
}

constexpr int kMaxLinks = 40;  // as the system's own path lookup allows

// Follows the symbolic links at path to the name of the file they end at (which
// need not exist); false for a chain that does not end or a link that cannot be read.
bool followLinks(std::string& path) {
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string text(size_t(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n <= 0 || size_t(n) >= text.size()) return false;
        text.resize(size_t(n));
        path = text.front() == '/' ? text : splitTarget(path).folder + "/" + text;
    }
    return false;
}

// Gives the new file the owner and group of the one it replaces, as far as the
// user may (a user can give a file only its own owner and a group of its own).
void keepOwner(int fd, const struct stat& old) {
    if (old.st_uid == ::geteuid() && old.st_gid == ::getegid()) return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, uid_t(-1), old.st_gid);
}

}  // namespace

FileReplacement::FileReplacement(std::string nativeTarget, LinkPolicy links)
    : target_(std::move(nativeTarget)), links_(links) {}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

int FileReplacement::Open(int mode) {
    discard();
    failed_ = false;
    if (target_.empty() || target_.back() == '/') return kReplaceRefused;
    path_ = target_;
    if (links_ == LinkPolicy::WriteThrough && !followLinks(path_)) return kReplaceRefused;
    // What the file is now: a plain write would refuse a file the user
    // cannot write (a read-only project file) and never replace a folder,
    // a device or a pipe.
    struct stat st {};
    bool keepMode = false;
    bool existing = false;
    if (::lstat(path_.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode)) {
            const int probe = ::open(path_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (probe < 0) return kReplaceRefused;
            struct stat opened {};
            const bool regular = ::fstat(probe, &opened) == 0 && S_ISREG(opened.st_mode);
            ::close(probe);
            if (!regular) return kReplaceRefused;
            st = opened;
            keepMode = mode < 0;
            existing = true;
        } else if (!S_ISLNK(st.st_mode)) {
            return kReplaceRefused;
        }
    } else if (errno != ENOENT) {
        return kReplaceRefused;
    }
    const FolderAndName parts = splitTarget(path_);
    const bool setMode = keepMode || mode >= 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = parts.folder + "/." + parts.name + "." + randomSuffix();
        // Open for reading too, whatever mode it ends with: a writer can read
        // back what it wrote before the file is put in place.
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, setMode ? 0600 : 0644);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return kReplaceCreateFailed;
        }
        fd_ = fd;
        temp_ = std::move(name);
        break;
    }
    if (fd_ < 0) return kReplaceCreateFailed;
    // Held until the file is renamed or closed, so that no cleaning of
    // leftovers takes a file that is being written.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    if (existing) keepOwner(fd_, st);
    if (setMode && ::fchmod(fd_, mode_t(keepMode ? (st.st_mode & 07777) : (mode & 07777))) != 0) {
        discard();
        return kReplaceCreateFailed;
    }
    return kReplaceOk;
}

bool FileReplacement::Write(const void* data, size_t size) {
    if (fd_ < 0 || failed_) return false;
    if (size > 0 && !data) failed_ = true;
    else if (!writeAll(fd_, data, size)) failed_ = true;
    return !failed_;
}

int FileReplacement::Commit() {
    if (fd_ < 0) return kReplaceCreateFailed;
    if (failed_ || ::fsync(fd_) != 0) {
        discard();
        return kReplaceWriteFailed;
    }
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        discard();
        return kReplaceRenameFailed;
    }
    temp_.clear();  // the name is the file's now
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    const bool synced = syncFolder(splitTarget(path_).folder);
    RemoveReplacementLeftovers(path_);
    return closed && synced ? kReplaceOk : kReplaceWriteFailed;
}

int ReplaceFileContents(const std::string& nativeTarget, const void* data, size_t size, int mode, LinkPolicy links) {
    FileReplacement file(nativeTarget, links);
    if (const int rc = file.Open(mode); rc != kReplaceOk) return rc;
    if (!file.Write(data, size)) return kReplaceWriteFailed;
    return file.Commit();
}

int ReplaceFileWithCopy(const std::string& nativeSource, const std::string& nativeTarget) {
    // Non-blocking, so that a pipe in the source's place cannot hold the copy.
    const int in = ::open(nativeSource.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return kReplaceRefused;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return kReplaceRefused;
    }
    FileReplacement file(nativeTarget, LinkPolicy::ReplaceLink);
    int rc = file.Open(int(st.st_mode & 07777));
    char buffer[65536];
    while (rc == kReplaceOk) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) rc = kReplaceWriteFailed;
        if (n <= 0) break;
        if (!file.Write(buffer, size_t(n))) rc = kReplaceWriteFailed;
    }
    ::close(in);
    return rc == kReplaceOk ? file.Commit() : rc;
}

bool IsReplacementLeftoverName(const std::string& base, const std::string& name) {
    if (base.empty() || name.size() != base.size() + 2 + kSuffixLength) return false;
    if (name[0] != '.' || name.compare(1, base.size(), base) != 0 || name[base.size() + 1] != '.') return false;
    for (size_t i = base.size() + 2; i < name.size(); ++i)
        if (!isNameLetter(name[i])) return false;
    return true;
}

int RemoveReplacementLeftovers(const std::string& nativeTarget, time_t minAge) {
    const FolderAndName parts = splitTarget(nativeTarget);
    DIR* dir = ::opendir(parts.folder.c_str());
    if (!dir) return 0;
    const int dirFd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsReplacementLeftoverName(parts.name, name)) continue;
        const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // A writer holds its file locked; an unlocked one that is still
        // changing may belong to a writer that does not lock.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && now - st.st_mtime >= minAge &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(dirFd, name.c_str(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    if (removed > 0) syncFolder(parts.folder);
    return removed;
}

}  // namespace zo
