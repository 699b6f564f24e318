#pragma once
// The stream forms of the docking frames, as plain functions over TZoStream:
//   - the floating registry (TFloatTreeCep): version 3, then per entry the
//     24-byte floating record and the key, then the end mark -1;
//   - a site's dock tree: version 0x00040000 (0x00080000 is read too, with two
//     extra bytes after it), the hidden panels, the top zone's limit and the
//     zone items ended by level -1;
//   - a site's size trailer: signature 0x02D27C0D, width or -1, height or -1.
// All integers are 4 bytes, little-endian; a name is its length and its bytes.
// Readers bound every length and count by what is left of the stream and by a
// sane maximum, so a damaged stream is refused and never allocated for. On an
// error a reader puts the position back where the failing item began (when
// the stream's owner lets it be set, see SeekStream) and says where that was.

#include "common/abi/Stream.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zo::configurator {

#pragma pack(push, 1)
// Where a floating panel was: also its stream form.
struct TFloatRecord {
    int32_t Size = 24;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Visible = 0;
};
#pragma pack(pop)
static_assert(sizeof(TFloatRecord) == 24, "the floating record is 24 bytes");

inline constexpr int32_t kFloatTreeVersion = 3;
inline constexpr int32_t kDockTreeVersion = 0x00040000;
inline constexpr int32_t kDockTreeVersionLong = 0x00080000;  // two more bytes follow it
inline constexpr int32_t kSiteSignature = 0x02D27C0D;
inline constexpr int32_t kStreamEndMark = -1;
// No key or panel name is longer, no site holds more panels.
inline constexpr int32_t kMaxStreamName = 4096;
inline constexpr int32_t kMaxStreamItems = 4096;

struct DockStreamResult {
    bool ok = true;
    QString error;          // the reason, when not ok
    int32_t rewindTo = -1;  // where the failing item began (the position put back when it could be)
};

// ---- floating registry ----
struct FloatEntry {
    std::string key;  // upper case, NAMES;CLASSES
    TFloatRecord record;
};
// false when the stream refuses a write.
bool WriteFloatTree(TZoStream* stream, const std::vector<FloatEntry>& entries);
// Each item read whole goes to store at once, so what came before a failing
// item is kept. A nil or empty stream reads nothing and is ok.
DockStreamResult ReadFloatTree(TZoStream* stream, const std::function<void(const FloatEntry&)>& store);

// ---- dock tree of a site ----
struct TDockZone {
    int32_t Level = 1;
    uint8_t Orientation = 0;  // 0 none, 1 horizontal, 2 vertical
    int32_t Limit = 0;
    std::string Name;         // the panel's name; empty for a zone that only holds others
};
struct TDockLayout {
    int32_t Version = kDockTreeVersion;
    std::vector<std::string> Hidden;
    int32_t TopLimit = 0;
    std::vector<TDockZone> Zones;
};
bool WriteDockLayout(TZoStream* stream, const TDockLayout& layout);
DockStreamResult ReadDockLayout(TZoStream* stream, TDockLayout& layout);

// ---- the site's whole layout stream: the tree (when there is one), then the trailer ----
enum class SiteAlign { None, Top, Bottom, Left, Right };
struct TSiteTrailer {
    int32_t Width = -1;
    int32_t Height = -1;
};
// The width of a site aligned none, left or right, else -1; the height of one
// aligned none, top or bottom, else -1.
TSiteTrailer TrailerFor(SiteAlign align, int32_t width, int32_t height);
struct TSiteLayout {
    bool HasTree = false;
    TDockLayout Tree;
    bool HasTrailer = false;
    TSiteTrailer Trailer;
};
bool WriteSiteLayout(TZoStream* stream, const TDockLayout* tree, const TSiteTrailer& trailer);
// A stream that starts with the signature holds the trailer alone; otherwise
// the tree comes first and the trailer follows when the signature does (else
// the position is put back after the tree and no trailer is read).
DockStreamResult ReadSiteLayout(TZoStream* stream, TSiteLayout& layout);

}  // namespace zo::configurator
