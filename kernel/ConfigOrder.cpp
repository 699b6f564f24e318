// Execution order of the FBD blocks in the configuration file: a block is
// written once every net feeding its inputs has been computed by a block
// written before it; the Priority byte breaks loops. The Chain field of the
// connections doubles as the computed mark (-1), the Selected byte of the
// blocks as the pending mark.

#include "common/Struct.h"
#include "kernel/ConfigFile.h"
#include "kernel/ConfigWriter.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <charconv>
#include <cstring>
#include <vector>

namespace zo::kernel {

namespace {

constexpr uint16_t kNoNet = 65535;

struct BlockRef {
    TSheetRecord* sheet;
    TBlockRecord* block;
};

// Every block of every sheet, in list order.
std::vector<BlockRef> allBlocks() {
    std::vector<BlockRef> out;
    const TMenObj& sheets = State().sheets;
    for (uint16_t s = 0; s < sheets.Count; ++s) {
        auto* sheet = static_cast<TSheetRecord*>(sheets.GetItem(s));
        TMenObj* blocks = sheet->Blocks;
        if (!blocks) continue;
        for (uint16_t b = 0; b < blocks->Count; ++b) out.push_back({sheet, static_cast<TBlockRecord*>(blocks->GetItem(b))});
    }
    return out;
}

// The connections of each net, over all sheets in list order.
class NetStates {
public:
    explicit NetStates(int nets) : links_(size_t(nets > 0 ? nets : 0)) {
        const TMenObj& sheets = State().sheets;
        for (uint16_t s = 0; s < sheets.Count; ++s) {
            const TMenObj* links = static_cast<const TSheetRecord*>(sheets.GetItem(s))->Links;
            if (!links) continue;
            for (uint16_t l = 0; l < links->Count; ++l) {
                auto* link = static_cast<TConnectionRecord*>(links->GetItem(l));
                const int net = link->NetIndex;
                if (net >= 0 && size_t(net) < links_.size()) links_[size_t(net)].push_back(link);
            }
        }
    }

    // The Chain of the net's first connection as a 16-bit word; 65535 (ready)
    // also for a net without connections.
    uint16_t Get(uint16_t net) const {
        if (net >= links_.size() || links_[net].empty()) return kNoNet;
        return uint16_t(links_[net].front()->Chain);
    }

    void MarkComputed(uint16_t net) {
        if (net >= links_.size()) return;
        for (TConnectionRecord* link : links_[net]) link->Chain = -1;
    }

private:
    std::vector<std::vector<TConnectionRecord*>> links_;
};

// The net number in a pin field; 65535 with a warning when it is not one.
uint16_t pinNet(ConfigWriter& writer, const BlockRef& ref, const TStruct& d, int index, const std::string& side) {
    const std::string text = d.GetValue(BlockData(*ref.block), index);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 0xFFFF) return uint16_t(value);
    writer.Log(RecordName(ref.sheet->Name, sizeof ref.sheet->Name) + "  " + RecordName(ref.block->Name, sizeof ref.block->Name) +
                   side + d.GetItemName(index) + "   " + text,
               kLogWarning);
    return kNoNet;
}

template <typename Visit>
void forEachPin(const TStruct& d, const char* kind, Visit visit) {
    for (int i = 0; i < d.GetItemCount(); ++i)
        if (std::strcmp(d.GetItem(i)->Kind, kind) == 0) visit(i);
}

bool inputsReady(ConfigWriter& writer, const NetStates& nets, const BlockRef& ref) {
    const TStruct* d = BlockDescription(*ref.block);
    if (!d) return true;
    bool ready = true;
    forEachPin(*d, "IN", [&](int i) {
        if (ready && nets.Get(pinNet(writer, ref, *d, i, ZO_RU("  вход  "))) != kNoNet) ready = false;
    });
    return ready;
}

void markOutputs(ConfigWriter& writer, NetStates& nets, const BlockRef& ref) {
    const TStruct* d = BlockDescription(*ref.block);
    if (!d) return;
    forEachPin(*d, "OUT", [&](int i) {
        const uint16_t net = pinNet(writer, ref, *d, i, ZO_RU("  выход  "));
        if (net != kNoNet) nets.MarkComputed(net);
    });
}

bool hasCode(const TBlockRecord& block) {
    const TStruct* d = BlockDescription(block);
    int16_t index = -1;
    return d && (d->FindItem("Cod", index) == 1 || d->FindItem(ZO_RU("Код").c_str(), index) == 1);
}

// Takes the block into the file; false when it could not be written (logged).
bool take(ConfigWriter& writer, NetStates& nets, const BlockRef& ref, int& length) {
    ref.block->Selected = 0;
    markOutputs(writer, nets, ref);
    if (!writer.WriteBlock(*ref.sheet, *ref.block, length)) {
        writer.Log(ZO_RU("Ошибка добавления FBD блока ") + BlockOnSheet(*ref.sheet, *ref.block), kLogError);
        return false;
    }
    writer.AddLibrary(*ref.block);
    return true;
}

void logUnordered(ConfigWriter& writer, const std::vector<BlockRef>& blocks, int pending) {
    writer.Log(ZO_RU("Не удалось добавить ") + Q + std::to_string(pending) + Q + ZO_RU(" FBD блоков"), kLogError);
    for (const BlockRef& ref : blocks) {
        if (!ref.block->Selected) continue;
        writer.Log(ZO_RU("Блок ") + BlockOnSheet(*ref.sheet, *ref.block) + "  (" + BlockTypeName(*ref.block) +
                       ZO_RU(") приоритет- ") + std::to_string(int(ref.block->Priority)),
                   kLogError);
    }
}

}  // namespace

int WriteBlocksInOrder(ConfigWriter& writer, int netCount) {
    const std::vector<BlockRef> blocks = allBlocks();
    NetStates nets(netCount);
    for (const BlockRef& ref : blocks) ref.block->Selected = 1;
    int pending = int(blocks.size());
    const std::string netIn = "Orvan_In";
    for (int pass = 1; pending > 0; ++pass) {
        int written = 0;
        int cleared = 0;
        const BlockRef* candidate = nullptr;
        uint8_t best = 0;
        for (const BlockRef& ref : blocks) {
            if (!ref.block->Selected) continue;
            int length = 0;
            if (BlockTypeName(*ref.block) == netIn || !hasCode(*ref.block)) {
                // Network inputs, channels and other blocks without code are
                // not written; their outputs come from the controller itself,
                // so the nets they drive count as computed.
                ref.block->Selected = 0;
                markOutputs(writer, nets, ref);
            } else if (inputsReady(writer, nets, ref)) {
                if (!take(writer, nets, ref, length)) return kConfigBlockNotWritten;
                ++written;
            } else {
                if (ref.block->Priority > best) {
                    best = ref.block->Priority;
                    candidate = &ref;
                }
                continue;
            }
            ++cleared;
            --pending;
        }
        writer.Log(ZO_RU("Очередь ") + Q + std::to_string(pass) + Q + ZO_RU("  добавленных FBD блоков: ") + Q +
                       std::to_string(written) + Q,
                   kLogInformation);
        // A pass that only set aside blocks without code still made progress:
        // the blocks they feed are tried again in the next pass.
        if (cleared > 0) continue;
        if (!candidate) {
            logUnordered(writer, blocks, pending);
            return kConfigNotOrdered;
        }
        int length = 0;
        if (!take(writer, nets, *candidate, length)) return kConfigBlockNotWritten;
        --pending;
        writer.Log(ZO_RU("Добавлен приоритетный блок ") + BlockOnSheet(*candidate->sheet, *candidate->block) + " -(" +
                       std::to_string(length) + ZO_RU(" байт)"),
                   kLogInformation);
    }
    return kConfigWritten;
}

int GroupUnboundPins(const char* kind, int net) {
    int bound = 0;
    const std::string text = std::to_string(net);
    for (const BlockRef& ref : allBlocks()) {
        const TStruct* d = BlockDescription(*ref.block);
        void* data = ref.block->Block.Data;
        if (!d || !data) continue;
        forEachPin(*d, kind, [&](int i) {
            if (d->GetValue(data, i) == "65535" && d->SetValue(data, i, text.c_str()) == 0) ++bound;
        });
    }
    return bound;
}

}  // namespace zo::kernel
