#pragma once
// Which block records changed in place, for the painter: the code that writes
// a block's place or selection (its record from Left on) notes the block, so
// that a paint looks at those records again instead of at every block of the
// sheet. Whatever cannot say what it changed says that anything may have
// changed, and so does every slot the host calls but the few that note their
// edits (see NotesBlockEdits): a reader then looks at every block again.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace zo {
class TMenObj;
}

namespace zo::kernel {

class TBlockEdits {
public:
    // Where a reader got to.
    struct Mark {
        uint64_t epoch = 0;
        size_t at = 0;
    };

    // Block index of the block list was written.
    void Note(const TMenObj* blocks, uint16_t index);
    // Anything may have changed.
    void NoteAll();
    Mark Now() const { return Mark{epoch_, notes_.size()}; }
    // The blocks of the list noted since mark, sorted and each once, into out;
    // false when anything may have changed since.
    bool Since(const Mark& mark, const TMenObj* blocks, std::vector<uint16_t>& out) const;

    // Whether the code running is a slot that notes its block edits (and no
    // slot called from it): only there do the notes say all that changed.
    bool Noting() const { return noting_; }
    // Says for its lifetime whether the code running notes its edits.
    class Scope {
    public:
        Scope(TBlockEdits& edits, bool noting) : edits_(edits), was_(edits.noting_) { edits.noting_ = noting; }
        ~Scope() { edits_.noting_ = was_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        TBlockEdits& edits_;
        bool was_;
    };

private:
    static constexpr size_t kLimit = 4096;  // notes kept before they count as everything
    uint64_t epoch_ = 1;                    // a reader that never looked holds epoch 0
    std::vector<std::pair<const TMenObj*, uint16_t>> notes_;
    bool noting_ = false;
};

// The kernel's one journal.
TBlockEdits& BlockEdits();

// A reader's place in the kernel's journal for one block list.
class TBlockWatch {
public:
    // From now on: what is noted of the list later is what changed.
    void Take(const TMenObj& blocks);
    // The blocks of the list noted since Take, sorted and each once, into out;
    // false when it is another list, its items moved or their count changed,
    // or anything may have changed.
    bool Since(const TMenObj& blocks, std::vector<uint16_t>& out) const;
    void Forget() { *this = TBlockWatch{}; }

private:
    TBlockEdits::Mark mark_;
    const TMenObj* list_ = nullptr;
    const void* items_ = nullptr;
    uint16_t count_ = 0;
};

// Sets a block's selection flag, noting the block when the flag changes.
void SetBlockSelected(const TMenObj* blocks, uint16_t index, uint8_t selected);

// The slots that change no block record in place, or note each one they
// change: every other slot notes that anything may have changed before it runs.
// The structure readers are among them (the inspector calls them while it is
// filled from a pointer gesture); the one that hands out a field's address is not.
inline constexpr std::string_view kBlockNotingSlots[] = {
    "PaintScheme",        "SheetMouseDown",     "SheetMouseMove",       "SheetMouseUp",
    "SheetHitTest",       "GetMode",            "GetSheetCount",        "GetSheet",
    "GetStructPath",      "GetStructName",      "GetStructCaption",     "GetStructItemCount",
    "GetStructSize",      "GetStructItemType",  "GetStructItemName",    "GetStructItemCaption",
    "GetStructItemKind",  "GetStructItemList",  "GetStructItemDefault", "GetStructItemValue",
    "FindStructItem",
};

constexpr bool NotesBlockEdits(std::string_view slot) {
    for (const std::string_view s : kBlockNotingSlots)
        if (s == slot) return true;
    return false;
}

}  // namespace zo::kernel
