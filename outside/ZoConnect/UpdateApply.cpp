#include "outside/ZoConnect/UpdateApply.h"

#include "common/FileReplacement.h"
#include "common/abi/ConnectSettings.h"
#include "outside/ZoConnect/UpdateFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace zo::connect {

namespace fs = std::filesystem;

namespace {

constexpr char kOldSuffix[] = ".zo-old";

// One file an apply places.
struct Placement {
    std::string name;      // relative to the program folder, normalized
    bool existed = false;  // a file of that name was replaced (and is kept under kOldSuffix)
    int mode = 0644;
    // The staged file: once renamed into place, the target is this file.
    uint64_t device = 0;
    uint64_t inode = 0;
};

// What an apply does, as its journal holds it.
struct ApplyPlan {
    std::string entry;
    std::string version;
    std::vector<std::string> folders;  // made by the apply, outermost first
    std::vector<Placement> files;
};

struct Places {
    fs::path program;
    fs::path staging;
    fs::path journal;
    fs::path target(const Placement& p) const { return program / p.name; }
    fs::path staged(const Placement& p) const { return staging / p.name; }
    fs::path old(const Placement& p) const { return program / (p.name + kOldSuffix); }
};

Places placesOf(const std::string& programFolder, const std::string& updateFolder, const std::string& entry) {
    return {programFolder, fs::path(updateFolder) / entry, fs::path(updateFolder) / kApplyJournalName};
}

bool present(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isRegular(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

std::string errorText() { return std::strerror(errno); }

bool writeJournal(const fs::path& journal, const ApplyPlan& plan) {
    std::string text = "entry\t" + plan.entry + "\nversion\t" + plan.version + "\n";
    for (const std::string& folder : plan.folders) text += "folder\t" + folder + "\n";
    for (const Placement& p : plan.files)
        text += std::string("file\t") + (p.existed ? "1" : "0") + "\t" + std::to_string(p.mode) + "\t" +
                std::to_string(p.device) + "\t" + std::to_string(p.inode) + "\t" + p.name + "\n";
    return ReplaceFileContents(journal.string(), text.data(), text.size(), 0644, LinkPolicy::ReplaceLink) == kReplaceOk;
}

bool readJournal(const fs::path& journal, ApplyPlan* plan) {
    std::ifstream in(journal);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        std::getline(fields, kind, '\t');
        if (kind == "entry") {
            std::getline(fields, plan->entry);
        } else if (kind == "version") {
            std::getline(fields, plan->version);
        } else if (kind == "folder") {
            std::string name;
            std::getline(fields, name);
            if (!ValidEntryPath(name, &name)) return false;
            plan->folders.push_back(name);
        } else if (kind == "file") {
            std::string existed, mode, device, inode, name;
            std::getline(fields, existed, '\t');
            std::getline(fields, mode, '\t');
            std::getline(fields, device, '\t');
            std::getline(fields, inode, '\t');
            std::getline(fields, name);
            Placement p;
            if (!ValidEntryPath(name, &p.name)) return false;
            p.existed = existed == "1";
            p.mode = std::atoi(mode.c_str()) & 07777;
            p.device = std::strtoull(device.c_str(), nullptr, 10);
            p.inode = std::strtoull(inode.c_str(), nullptr, 10);
            plan->files.push_back(p);
        } else if (!kind.empty()) {
            return false;
        }
    }
    return ValidEntryName(plan->entry);
}

// The staged file is in place: the target is that very file.
bool placed(const Places& at, const Placement& p) {
    struct stat st {};
    return ::lstat(at.target(p).c_str(), &st) == 0 && uint64_t(st.st_dev) == p.device && uint64_t(st.st_ino) == p.inode;
}

// Puts one staged file in place; the file it replaces is kept under the old name first.
bool place(const Places& at, const Placement& p, std::string* reason) {
    const fs::path target = at.target(p);
    const fs::path staged = at.staged(p);
    if (p.existed && !present(at.old(p))) {
        // A hard link, or a copy where the file system has none.
        if (::link(target.c_str(), at.old(p).c_str()) != 0 &&
            ReplaceFileWithCopy(target.string(), at.old(p).string()) != kReplaceOk) {
            *reason = "\"" + p.name + "\" cannot be kept: " + errorText();
            return false;
        }
    }
    ::chmod(staged.c_str(), mode_t(p.mode));
    if (::rename(staged.c_str(), target.c_str()) == 0) return true;
    if (errno == EXDEV) {
        // The update folder on another file system: a copy beside the target, renamed over it.
        fs::path copy = target;
        copy += ".zo-new";
        ::unlink(copy.c_str());
        if (ReplaceFileWithCopy(staged.string(), copy.string()) == kReplaceOk && ::rename(copy.c_str(), target.c_str()) == 0) {
            ::unlink(staged.c_str());
            return true;
        }
        ::unlink(copy.c_str());
    }
    *reason = "\"" + p.name + "\" cannot be written: " + errorText();
    return false;
}

// The old files back, the new ones and the folders made gone, the journal removed.
void rollBack(const Places& at, const ApplyPlan& plan) {
    for (auto it = plan.files.rbegin(); it != plan.files.rend(); ++it) {
        const fs::path target = at.target(*it);
        if (it->existed) {
            if (present(at.old(*it))) ::rename(at.old(*it).c_str(), target.c_str());
            ::unlink(at.old(*it).c_str());  // still there when it was the target itself
        } else {
            ::unlink(target.c_str());  // there was no file of that name before the apply
        }
    }
    for (auto it = plan.folders.rbegin(); it != plan.folders.rend(); ++it) ::rmdir((at.program / *it).c_str());
    ::unlink(at.journal.c_str());
}

// The old files gone, the version noted, the staging folder and the journal removed.
void complete(const Places& at, const ApplyPlan& plan, const std::string& updateFolder) {
    for (const Placement& p : plan.files)
        if (p.existed) ::unlink(at.old(p).c_str());
    WriteInstalledVersion(updateFolder, plan.entry, plan.version);
    std::error_code ec;
    fs::remove_all(at.staging, ec);
    ::unlink(at.journal.c_str());
}

// Places every file that is not in place yet, in order.
bool placeRemaining(const Places& at, const ApplyPlan& plan, std::string* reason,
                    const std::function<void(size_t)>& afterFilePlaced) {
    for (size_t i = 0; i < plan.files.size(); ++i) {
        if (!placed(at, plan.files[i]) && !place(at, plan.files[i], reason)) return false;
        if (afterFilePlaced) afterFilePlaced(i + 1);
    }
    return true;
}

// The deepest folder of the program folder on the way to relative that exists.
fs::path existingFolderOf(const fs::path& program, const std::string& relative) {
    fs::path at = (program / relative).parent_path();
    while (at != program && !present(at)) at = at.parent_path();
    return at;
}

// Checks every file of the manifest before anything moves and makes the plan:
// kApplyOk, or the refusal or failure with its reason.
int32_t planApply(const Places& at, const Manifest& manifest, ApplyPlan* plan, std::string* reason) {
    using configurator::kApplyFailed;
    using configurator::kApplyRefused;
    std::set<std::string> seen;
    std::set<std::string> folders;
    for (const StagedFile& file : manifest.files) {
        if (!seen.insert(file.name).second) continue;  // named before, in another spelling
        Placement p{file.name, false, file.mode};
        struct stat staged {};
        if (!isRegular(at.staged(p)) || ::stat(at.staged(p).c_str(), &staged) != 0) {
            *reason = "staged file \"" + file.name + "\" is not a plain file";
            return kApplyRefused;
        }
        p.device = uint64_t(staged.st_dev);
        p.inode = uint64_t(staged.st_ino);
        // Each folder on the way is a real folder or one to make.
        fs::path folder = at.program;
        const fs::path relative = fs::path(file.name).parent_path();
        for (const fs::path& part : relative) {
            folder /= part;
            std::error_code ec;
            const fs::file_type type = fs::symlink_status(folder, ec).type();
            const std::string name = folder.lexically_relative(at.program).string();
            if (type == fs::file_type::not_found) {
                if (folders.insert(name).second) plan->folders.push_back(name);
            } else if (type != fs::file_type::directory) {
                *reason = "the folder of \"" + file.name + "\" is a link or no folder";
                return kApplyRefused;
            }
        }
        const fs::path target = at.target(p);
        std::error_code ec;
        const fs::file_type type = fs::symlink_status(target, ec).type();
        if (type == fs::file_type::regular) {
            struct stat old {};
            if (::stat(target.c_str(), &old) == 0) p.mode = int(old.st_mode & 07777);
            p.existed = true;
        } else if (type != fs::file_type::not_found) {
            *reason = "\"" + file.name + "\" is a link or no plain file";
            return kApplyRefused;
        }
        // The rename needs the folder writable, not the file (a running
        // program cannot be opened for writing).
        const fs::path writable = existingFolderOf(at.program, file.name);
        if (::access(writable.c_str(), W_OK | X_OK) != 0) {
            *reason = "the folder \"" + writable.string() + "\" of \"" + file.name + "\" cannot be written: " + errorText();
            return kApplyFailed;
        }
        plan->files.push_back(p);
    }
    return configurator::kApplyOk;
}

bool makeFolders(const Places& at, const ApplyPlan& plan, std::string* reason) {
    for (size_t i = 0; i < plan.folders.size(); ++i) {
        if (::mkdir((at.program / plan.folders[i]).c_str(), 0755) != 0) {
            *reason = "the folder \"" + plan.folders[i] + "\" cannot be made: " + errorText();
            for (size_t j = i; j-- > 0;) ::rmdir((at.program / plan.folders[j]).c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int32_t ApplyStaged(const std::string& programFolder, const std::string& updateFolder, const std::string& entry,
                    std::string* reason, const std::function<void(size_t)>& afterFilePlaced) {
    using configurator::kApplyFailed;
    using configurator::kApplyNothingStaged;
    using configurator::kApplyOk;
    ResumeInterruptedApply(programFolder, updateFolder);
    const Places at = placesOf(programFolder, updateFolder, entry);
    Manifest manifest;
    if (!ValidEntryName(entry) || !ReadManifest(at.staging.string(), &manifest)) {
        *reason = "no complete download of \"" + entry + "\"";
        return kApplyNothingStaged;
    }
    ApplyPlan plan{entry, manifest.version, {}, {}};
    if (const int32_t planned = planApply(at, manifest, &plan, reason); planned != kApplyOk) return planned;
    // Copies left by an apply before this one are no old files of this one.
    for (const Placement& p : plan.files)
        if (p.existed) ::unlink(at.old(p).c_str());
    if (!makeFolders(at, plan, reason)) return kApplyFailed;
    if (!writeJournal(at.journal, plan)) {
        *reason = "the journal \"" + at.journal.string() + "\" cannot be written";
        for (auto it = plan.folders.rbegin(); it != plan.folders.rend(); ++it) ::rmdir((at.program / *it).c_str());
        return kApplyFailed;
    }
    if (!placeRemaining(at, plan, reason, afterFilePlaced)) {
        rollBack(at, plan);
        return kApplyFailed;
    }
    complete(at, plan, updateFolder);
    return kApplyOk;
}

ResumedApply ResumeInterruptedApply(const std::string& programFolder, const std::string& updateFolder) {
    ResumedApply out;
    const fs::path journal = fs::path(updateFolder) / kApplyJournalName;
    if (!present(journal)) return out;
    ApplyPlan plan;
    if (!readJournal(journal, &plan)) {
        // Not one this library wrote: nothing in it can be undone.
        ::unlink(journal.c_str());
        return out;
    }
    out.entry = plan.entry;
    const Places at = placesOf(programFolder, updateFolder, plan.entry);
    // Finished when every file is staged still or already placed.
    bool resumable = true;
    for (const Placement& p : plan.files) {
        if (!placed(at, p) && !isRegular(at.staged(p))) {
            resumable = false;
            out.reason = "\"" + p.name + "\" is neither staged nor in place";
            break;
        }
    }
    if (resumable && placeRemaining(at, plan, &out.reason, {})) {
        complete(at, plan, updateFolder);
        out.result = ResumeResult::Finished;
        return out;
    }
    rollBack(at, plan);
    std::error_code ec;
    fs::remove_all(at.staging, ec);  // some of its files were placed: download it again
    out.result = ResumeResult::RolledBack;
    return out;
}

}  // namespace zo::connect
