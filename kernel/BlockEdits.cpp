#include "kernel/BlockEdits.h"

#include "common/MenObj.h"
#include "common/abi/BlockRecord.h"

#include <algorithm>

namespace zo::kernel {

void TBlockEdits::Note(const TMenObj* blocks, uint16_t index) {
    if (notes_.size() >= kLimit) return NoteAll();
    notes_.emplace_back(blocks, index);
}

void TBlockEdits::NoteAll() {
    ++epoch_;
    notes_.clear();
}

bool TBlockEdits::Since(const Mark& mark, const TMenObj* blocks, std::vector<uint16_t>& out) const {
    out.clear();
    if (mark.epoch != epoch_ || mark.at > notes_.size()) return false;
    for (size_t i = mark.at; i < notes_.size(); ++i)
        if (notes_[i].first == blocks) out.push_back(notes_[i].second);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

TBlockEdits& BlockEdits() {
    static TBlockEdits edits;
    return edits;
}

void TBlockWatch::Take(const TMenObj& blocks) {
    mark_ = BlockEdits().Now();
    list_ = &blocks;
    items_ = blocks.Data;
    count_ = blocks.Count;
}

bool TBlockWatch::Since(const TMenObj& blocks, std::vector<uint16_t>& out) const {
    out.clear();
    if (&blocks != list_ || blocks.Data != items_ || blocks.Count != count_) return false;
    return BlockEdits().Since(mark_, &blocks, out);
}

void SetBlockSelected(const TMenObj* blocks, uint16_t index, uint8_t selected) {
    auto* block = static_cast<TBlockRecord*>(blocks->GetItem(index));
    if (block->Selected == selected) return;
    block->Selected = selected;
    BlockEdits().Note(blocks, index);
}

}  // namespace zo::kernel
