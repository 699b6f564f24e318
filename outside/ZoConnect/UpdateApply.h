#pragma once
// Putting a downloaded update in place, and finishing or undoing an apply that
// was interrupted (the process killed, the machine stopped).
//
// <update folder>/apply.journal   written before the first file moves: the
//                                 entry, its version, the folders the apply
//                                 makes and every file it places
// <program folder>/<file>.zo-old  the file replaced, kept (a hard link) until
//                                 the apply has ended
//
// The staged files are put in place by rename, which needs only their folders
// to be writable: a running program or a loaded library is replaced too (it
// goes on with the old file). Every folder is probed before the first file
// moves. Entries are compared as the paths they name in the program folder, so
// one file named twice ("Struct/Help.xml", "Struct\Help.xml") is placed once.
//
// Names are native paths (UTF-8, '/').

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zo::connect {

inline constexpr char kApplyJournalName[] = "apply.journal";

// Puts the staged files of entry into the program folder; on any failure every
// file already placed gets its old contents back (a file that was new is
// removed), and so do the folders made. First finishes or undoes an apply that
// was interrupted. Answers kApplyOk, or kApplyNothingStaged / kApplyRefused /
// kApplyFailed (ConnectSettings.h); why into *reason. afterFilePlaced, when
// given, is called with the count of files placed after each one.
int32_t ApplyStaged(const std::string& programFolder, const std::string& updateFolder, const std::string& entry,
                    std::string* reason, const std::function<void(size_t placed)>& afterFilePlaced = {});

enum class ResumeResult {
    None,        // no apply was interrupted
    Finished,    // every file of the interrupted apply is in place now
    RolledBack,  // the program folder holds the files of before the apply again
};
struct ResumedApply {
    ResumeResult result = ResumeResult::None;
    std::string entry;   // the entry of the interrupted apply
    std::string reason;  // why it was rolled back rather than finished
};

// Finishes the apply the journal of updateFolder tells of when every file of it
// is still staged or already in place, and rolls it back otherwise.
ResumedApply ResumeInterruptedApply(const std::string& programFolder, const std::string& updateFolder);

}  // namespace zo::connect
