#include "ConfigImage.h"

#include <cstring>
#include <map>

namespace zo::runtime {

namespace {

enum Kind : uint8_t { kBlock = 1, kOut = 3, kIn = 4, kConnections = 5, kNetOut = 7, kNetIn = 8 };

// Order of the count heads in the file.
int countRank(uint8_t kind) {
    switch (kind) {
        case kOut: return 1;
        case kIn: return 2;
        case kNetOut: return 3;
        case kNetIn: return 4;
        default: return 0;
    }
}

struct Head {
    uint16_t length;
    uint8_t kind;
    int16_t value;
    uint8_t size;
};

class Reader {
public:
    Reader(const std::string& bytes, size_t start) : bytes_(bytes), pos_(start) {}
    bool atEnd() const { return pos_ == bytes_.size(); }
    size_t pos() const { return pos_; }

    bool next(Head& head, std::string& error) {
        if (bytes_.size() - pos_ < 6) return fail(error, "truncated element head");
        const char* p = bytes_.data() + pos_;
        std::memcpy(&head.length, p, 2);
        head.kind = uint8_t(p[2]);
        std::memcpy(&head.value, p + 3, 2);
        head.size = uint8_t(p[5]);
        if (head.length < 6) return fail(error, "element shorter than its head");
        if (head.length > bytes_.size() - pos_) return fail(error, "element runs past the end of the file");
        if (head.size != uint8_t(head.length - 6)) return fail(error, "element size does not match its length");
        pos_ += head.length;
        return true;
    }

    bool fail(std::string& error, const std::string& what) const {
        error = "offset " + std::to_string(pos_) + ": " + what;
        return false;
    }

private:
    const std::string& bytes_;
    size_t pos_;
};

}  // namespace

bool ParseConfig(const std::string& bytes, const HeaderLayout& header, ConfigImage& image, std::string& error) {
    image = ConfigImage{};
    if (bytes.size() < header.size) {
        error = "file shorter than the device header (" + std::to_string(header.size) + " bytes)";
        return false;
    }
    const char* ip = bytes.data() + header.ipOffset;
    image.address.assign(ip, strnlen(ip, header.ipSize));
    std::memcpy(&image.port, bytes.data() + header.portOffset, 2);

    Reader reader(bytes, header.size);
    Head head{};
    if (!reader.next(head, error)) return false;
    if (head.kind != kConnections || head.length != 6 || head.value < 1)
        return Reader(bytes, header.size).fail(error, "the connections element must come first, with a net count of 1 or more");
    image.nets = uint32_t(head.value - 1);

    std::map<uint8_t, int> counts;  // count heads
    std::map<uint8_t, int> items;   // items met so far, by kind
    int lastRank = 0;
    enum class Phase { Counts, Items, Blocks } phase = Phase::Counts;
    while (!reader.atEnd()) {
        const size_t at = reader.pos();
        if (!reader.next(head, error)) return false;
        const int rank = countRank(head.kind);
        Reader here(bytes, at);
        if (phase == Phase::Counts && rank > lastRank && head.length == 6) {
            if (head.value < 1) return here.fail(error, "channel count below 1");
            counts[head.kind] = head.value;
            lastRank = rank;
            continue;
        }
        if (rank > 0) {
            if (phase == Phase::Blocks) return here.fail(error, "channel after the FBD blocks");
            phase = Phase::Items;
            if (counts.count(head.kind) == 0) return here.fail(error, "channel without its count");
            if (head.value != items[head.kind]) return here.fail(error, "channel index out of sequence");
            if ((head.kind == kNetOut || head.kind == kNetIn) && head.length != 12)
                return here.fail(error, "network channel is not 12 bytes long");
            ++items[head.kind];
            ++image.channels;
            continue;
        }
        if (head.kind != kBlock) return here.fail(error, "unknown element kind " + std::to_string(head.kind));
        if (head.value != -1) return here.fail(error, "FBD block element with a value other than -1");
        phase = Phase::Blocks;
        ++image.blocks;
    }
    for (const auto& [kind, count] : counts) {
        if (items[kind] != count) {
            error = "channel kind " + std::to_string(kind) + ": " + std::to_string(count) + " announced, " +
                    std::to_string(items[kind]) + " present";
            return false;
        }
    }
    return true;
}

}  // namespace zo::runtime
