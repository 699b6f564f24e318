// The docking frames' layout streams as they come back from a settings file
// that another version wrote or a broken disk damaged: the floating registry,
// a site's dock tree and a site's whole layout (tree and size trailer), each
// read from a stream whose position can be put back and from a foreign stream
// that can only be read. A failing reader puts the position back where its
// item began; what a reader accepted writes out and reads back the same.

#include "configurator/windows/DockStreams.h"
#include "configurator/windows/MemoryStream.h"
#include "support/FuzzSupport.h"

#include <cstring>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::configurator;
using namespace zo::fuzz;

namespace {

// A stream another library owns: Read alone, no position, no size, no seeking.
struct ForeignStream {
    explicit ForeignStream(const std::string& b) : bytes(b) {
        table.Context = this;
        table.Read = [](TZoStream* s, void* data, int32_t size) -> int32_t {
            auto* self = static_cast<ForeignStream*>(s->Context);
            if (size < 0) return -1;
            const size_t n = std::min(self->bytes.size() - self->at, size_t(size));
            if (n) std::memcpy(data, self->bytes.data() + self->at, n);
            self->at += n;
            return int32_t(n);
        };
    }
    std::string bytes;
    size_t at = 0;
    TZoStream table{};
};

bool sameRecord(const TFloatRecord& a, const TFloatRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameEntries(const std::vector<FloatEntry>& a, const std::vector<FloatEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].key != b[i].key || !sameRecord(a[i].record, b[i].record)) return false;
    return true;
}

bool sameZones(const TDockLayout& a, const TDockLayout& b) {
    if (a.Hidden != b.Hidden || a.TopLimit != b.TopLimit || a.Zones.size() != b.Zones.size()) return false;
    for (size_t i = 0; i < a.Zones.size(); ++i) {
        const TDockZone& x = a.Zones[i];
        const TDockZone& y = b.Zones[i];
        if (x.Level != y.Level || x.Orientation != y.Orientation || x.Limit != y.Limit || x.Name != y.Name)
            return false;
    }
    return true;
}

void checkLayout(const TDockLayout& layout) {
    ZO_FUZZ_CHECK(layout.Hidden.size() <= size_t(kMaxStreamItems), "too many hidden panels kept");
    ZO_FUZZ_CHECK(layout.Zones.size() <= size_t(kMaxStreamItems), "too many zones kept");
    for (const std::string& name : layout.Hidden) ZO_FUZZ_CHECK(name.size() <= size_t(kMaxStreamName), name);
    for (const TDockZone& zone : layout.Zones) ZO_FUZZ_CHECK(zone.Name.size() <= size_t(kMaxStreamName), zone.Name);
}

// A failure names where its item began and the stream stands there again.
void checkFailure(const DockStreamResult& r, TZoMemoryStream& memory, size_t size, const char* reader) {
    ZO_FUZZ_CHECK(!r.error.isEmpty(), std::string(reader) + ": a failure without a reason");
    ZO_FUZZ_CHECK(r.rewindTo >= 0 && size_t(r.rewindTo) <= size, std::string(reader) + ": rewind outside the stream");
    ZO_FUZZ_CHECK(memory.Position() == r.rewindTo, std::string(reader) + ": position not put back");
}

void floatTree(const std::string& bytes) {
    TZoMemoryStream memory(bytes);
    std::vector<FloatEntry> entries;
    const DockStreamResult r = ReadFloatTree(memory.Stream(), [&](const FloatEntry& e) { entries.push_back(e); });
    for (const FloatEntry& e : entries) {
        ZO_FUZZ_CHECK(!e.key.empty() && e.key.size() <= size_t(kMaxStreamName), e.key);
        ZO_FUZZ_CHECK(e.record.Size == 24, "a floating record of another size was stored");
    }
    ZO_FUZZ_CHECK(entries.size() <= size_t(kMaxStreamItems), "too many floating records");
    if (!r.ok) {
        checkFailure(r, memory, bytes.size(), "ReadFloatTree");
    } else if (!bytes.empty()) {
        TZoMemoryStream out;
        ZO_FUZZ_CHECK(WriteFloatTree(out.Stream(), entries), "an accepted registry does not write");
        TZoMemoryStream in(out.Bytes());
        std::vector<FloatEntry> again;
        const DockStreamResult r2 = ReadFloatTree(in.Stream(), [&](const FloatEntry& e) { again.push_back(e); });
        ZO_FUZZ_CHECK(r2.ok && in.Position() == int32_t(out.Bytes().size()), "a written registry does not read");
        ZO_FUZZ_CHECK(sameEntries(entries, again), "a written registry reads differently");
    }
    ForeignStream foreign(bytes);
    std::vector<FloatEntry> foreignEntries;
    const DockStreamResult f =
        ReadFloatTree(&foreign.table, [&](const FloatEntry& e) { foreignEntries.push_back(e); });
    ZO_FUZZ_CHECK(foreign.at <= bytes.size(), "read past the foreign stream");
    if (f.ok) ZO_FUZZ_CHECK(sameEntries(entries, foreignEntries), "a foreign stream reads differently");
}

void dockTree(const std::string& bytes) {
    TZoMemoryStream memory(bytes);
    TDockLayout layout;
    const DockStreamResult r = ReadDockLayout(memory.Stream(), layout);
    if (!r.ok) {
        checkFailure(r, memory, bytes.size(), "ReadDockLayout");
        ZO_FUZZ_CHECK(r.rewindTo == 0, "ReadDockLayout: a failure not put back to the tree's start");
    } else {
        checkLayout(layout);
        TZoMemoryStream out;
        ZO_FUZZ_CHECK(WriteDockLayout(out.Stream(), layout), "an accepted tree does not write");
        TZoMemoryStream in(out.Bytes());
        TDockLayout again;
        const DockStreamResult r2 = ReadDockLayout(in.Stream(), again);
        ZO_FUZZ_CHECK(r2.ok && in.Position() == int32_t(out.Bytes().size()), "a written tree does not read");
        ZO_FUZZ_CHECK(sameZones(layout, again), "a written tree reads differently");
    }
    ForeignStream foreign(bytes);
    TDockLayout foreignLayout;
    const DockStreamResult f = ReadDockLayout(&foreign.table, foreignLayout);
    ZO_FUZZ_CHECK(foreign.at <= bytes.size(), "read past the foreign stream");
    if (f.ok) {
        checkLayout(foreignLayout);
        ZO_FUZZ_CHECK(r.ok && sameZones(layout, foreignLayout), "a foreign stream reads differently");
    }
}

void siteLayout(const std::string& bytes) {
    TZoMemoryStream memory(bytes);
    TSiteLayout layout;
    const DockStreamResult r = ReadSiteLayout(memory.Stream(), layout);
    if (!r.ok) {
        checkFailure(r, memory, bytes.size(), "ReadSiteLayout");
        return;
    }
    ZO_FUZZ_CHECK(memory.Position() >= 0 && size_t(memory.Position()) <= bytes.size(), "position outside the stream");
    if (layout.HasTree) checkLayout(layout.Tree);
    if (!layout.HasTree && !layout.HasTrailer) return;
    TZoMemoryStream out;
    ZO_FUZZ_CHECK(WriteSiteLayout(out.Stream(), layout.HasTree ? &layout.Tree : nullptr, layout.Trailer),
                  "an accepted site layout does not write");
    TZoMemoryStream in(out.Bytes());
    TSiteLayout again;
    const DockStreamResult r2 = ReadSiteLayout(in.Stream(), again);
    ZO_FUZZ_CHECK(r2.ok && again.HasTree == layout.HasTree && again.HasTrailer, "a written site layout does not read");
    if (layout.HasTree) ZO_FUZZ_CHECK(sameZones(layout.Tree, again.Tree), "a written site tree reads differently");
    if (layout.HasTrailer)
        ZO_FUZZ_CHECK(again.Trailer.Width == layout.Trailer.Width && again.Trailer.Height == layout.Trailer.Height,
                      "a written trailer reads differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    floatTree(bytes);
    dockTree(bytes);
    siteLayout(bytes);
    return 0;
}
