#include "kernel/PictureDeferral.h"

#include "common/Struct.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace zo::kernel {

namespace {

struct Deferral {
    int scopes = 0;
    std::unordered_map<std::string, TMeasuredPicture> measured;  // by kind
    std::unordered_set<const TMenObj*> pending;                  // block lists
};

Deferral& deferral() {
    static Deferral d;
    return d;
}

// The kind of a block: its two structures and the bytes of its display parameters.
bool kindOf(const TBlockRecord& block, std::string& key) {
    const auto* display = static_cast<const TStruct*>(block.Display.Struct);
    const void* description = block.Block.Struct;
    if (!description || !display || !block.Display.Data) return false;
    const int size = display->GetSize();
    if (size <= 0) return false;
    key.assign(reinterpret_cast<const char*>(&description), sizeof description);
    key.append(reinterpret_cast<const char*>(&display), sizeof display);
    key.append(static_cast<const char*>(block.Display.Data), size_t(size));
    return true;
}

}  // namespace

TPictureDeferral::TPictureDeferral() { ++deferral().scopes; }

TPictureDeferral::~TPictureDeferral() {
    Deferral& d = deferral();
    if (--d.scopes == 0) d.measured.clear();
}

bool DeferringPictures() { return deferral().scopes > 0; }

const TMeasuredPicture* FindMeasuredPicture(const TBlockRecord& block) {
    Deferral& d = deferral();
    std::string key;
    if (d.scopes == 0 || !kindOf(block, key)) return nullptr;
    const auto found = d.measured.find(key);
    return found == d.measured.end() ? nullptr : &found->second;
}

void KeepMeasuredPicture(const TBlockRecord& block, TMeasuredPicture measured) {
    Deferral& d = deferral();
    std::string key;
    if (d.scopes == 0 || !kindOf(block, key)) return;
    d.measured.insert_or_assign(std::move(key), std::move(measured));
}

void AddPendingPictures(const TMenObj* blocks) {
    if (blocks) deferral().pending.insert(blocks);
}

bool TakePendingPictures(const TMenObj* blocks) {
    Deferral& d = deferral();
    return !d.pending.empty() && d.pending.erase(blocks) > 0;
}

void ForgetPendingPictures(const TMenObj* blocks) { deferral().pending.erase(blocks); }

}  // namespace zo::kernel
