#include "configurator/windows/DockStreams.h"

#include "configurator/windows/MemoryStream.h"

#include <cstring>

namespace zo::configurator {
namespace {

QString ru(const char* utf8) { return QString::fromUtf8(utf8); }

// Reads from a stream within what is left of it.
class Reader {
public:
    explicit Reader(TZoStream* stream) : s_(stream) {}

    int32_t position() const { return s_->Position ? s_->Position(s_) : -1; }
    int64_t left() const {
        if (!s_->Size || !s_->Position) return -1;
        const int32_t size = s_->Size(s_);
        const int32_t pos = s_->Position(s_);
        if (size < 0 || pos < 0 || pos > size) return -1;
        return int64_t(size) - pos;
    }
    bool bytes(void* data, int32_t n) {
        if (n == 0) return true;
        if (!s_->Read) return false;
        return s_->Read(s_, data, n) == n;
    }
    bool integer(int32_t& value) {
        uint8_t b[4];
        if (!bytes(b, 4)) return false;
        value = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
        return true;
    }
    bool byte(uint8_t& value) { return bytes(&value, 1); }
    // A name of at most kMaxStreamName bytes that the stream still holds.
    // Lengths of 0 or below give an empty name.
    bool name(std::string& text, QString& error) {
        int32_t length = 0;
        if (!integer(length)) {
            error = readError();
            return false;
        }
        text.clear();
        if (length <= 0) return true;
        const int64_t rest = left();
        if (length > kMaxStreamName || (rest >= 0 && length > rest)) {
            error = ru("Неправильная длина имени (%1)").arg(length);
            return false;
        }
        text.resize(size_t(length));
        if (!bytes(text.data(), length)) {
            error = readError();
            return false;
        }
        return true;
    }
    static QString readError() { return ru("Ошибка чтения потока"); }

private:
    TZoStream* s_;
};

class Writer {
public:
    explicit Writer(TZoStream* stream) : s_(stream) {}
    bool bytes(const void* data, int32_t n) {
        if (n == 0) return true;
        return s_->Write && s_->Write(s_, data, n) == n;
    }
    bool integer(int32_t value) {
        const uint32_t v = uint32_t(value);
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return bytes(b, 4);
    }
    bool byte(uint8_t value) { return bytes(&value, 1); }
    bool name(const std::string& text) {
        if (text.size() > size_t(kMaxStreamName)) return false;
        return integer(int32_t(text.size())) && bytes(text.data(), int32_t(text.size()));
    }

private:
    TZoStream* s_;
};

DockStreamResult fail(TZoStream* stream, int32_t start, QString error) {
    DockStreamResult r;
    r.ok = false;
    r.error = std::move(error);
    r.rewindTo = start;
    if (start >= 0) SeekStream(stream, start);
    return r;
}

bool recordInts(Reader& in, TFloatRecord& rec) {
    return in.integer(rec.Left) && in.integer(rec.Top) && in.integer(rec.Right) && in.integer(rec.Bottom) &&
           in.integer(rec.Visible);
}

}  // namespace

bool WriteFloatTree(TZoStream* stream, const std::vector<FloatEntry>& entries) {
    if (!stream) return false;
    Writer out(stream);
    if (!out.integer(kFloatTreeVersion)) return false;
    for (const FloatEntry& e : entries) {
        const TFloatRecord& r = e.record;
        if (!out.integer(24) || !out.integer(r.Left) || !out.integer(r.Top) || !out.integer(r.Right) ||
            !out.integer(r.Bottom) || !out.integer(r.Visible) || !out.name(e.key))
            return false;
    }
    return out.integer(kStreamEndMark);
}

DockStreamResult ReadFloatTree(TZoStream* stream, const std::function<void(const FloatEntry&)>& store) {
    if (!stream) return {};
    Reader in(stream);
    if (in.left() == 0) return {};
    int32_t start = in.position();
    int32_t version = 0;
    if (!in.integer(version)) return fail(stream, start, Reader::readError());
    if ((version & 0xFFFF) > kFloatTreeVersion)
        return fail(stream, start, ru("Неправильная версия (%1) TFloatTreeCep").arg(version & 0xFFFF));
    for (int32_t items = 0;; ++items) {
        start = in.position();
        int32_t size = 0;
        if (!in.integer(size)) return fail(stream, start, Reader::readError());
        if (size == kStreamEndMark) return {};
        if (size != 24) return fail(stream, start, ru("Неправильный размер данных (%1)").arg(size));
        if (items >= kMaxStreamItems) return fail(stream, start, ru("Слишком много записей в потоке"));
        FloatEntry e;
        if (!recordInts(in, e.record)) return fail(stream, start, Reader::readError());
        QString error;
        if (!in.name(e.key, error)) return fail(stream, start, error);
        if (!e.key.empty() && store) store(e);
    }
}

bool WriteDockLayout(TZoStream* stream, const TDockLayout& layout) {
    if (!stream) return false;
    Writer out(stream);
    if (!out.integer(kDockTreeVersion)) return false;
    if (!out.integer(int32_t(layout.Hidden.size()))) return false;
    for (const std::string& name : layout.Hidden)
        if (!out.name(name)) return false;
    if (!out.integer(layout.TopLimit)) return false;
    for (const TDockZone& z : layout.Zones)
        if (!out.integer(z.Level) || !out.byte(z.Orientation) || !out.integer(z.Limit) || !out.name(z.Name))
            return false;
    return out.integer(kStreamEndMark);
}

DockStreamResult ReadDockLayout(TZoStream* stream, TDockLayout& layout) {
    layout = TDockLayout();
    if (!stream) return fail(stream, -1, Reader::readError());
    Reader in(stream);
    const int32_t start = in.position();
    int32_t version = 0;
    if (!in.integer(version)) return fail(stream, start, Reader::readError());
    if (version != kDockTreeVersion && version != kDockTreeVersionLong)
        return fail(stream, start, ru("Неправильная версия (%1) TDockTreeCep").arg(version));
    layout.Version = version;
    if (version == kDockTreeVersionLong) {
        uint8_t skip[2];
        if (!in.bytes(skip, 2)) return fail(stream, start, Reader::readError());
    }
    int32_t hidden = 0;
    if (!in.integer(hidden)) return fail(stream, start, Reader::readError());
    // Every hidden name takes at least its 4-byte length.
    const int64_t rest = in.left();
    if (hidden < 0 || hidden > kMaxStreamItems || (rest >= 0 && int64_t(hidden) * 4 > rest))
        return fail(stream, start, ru("Неправильное число панелей (%1)").arg(hidden));
    QString error;
    for (int32_t i = 0; i < hidden; ++i) {
        std::string name;
        if (!in.name(name, error)) return fail(stream, start, error);
        layout.Hidden.push_back(std::move(name));
    }
    if (!in.integer(layout.TopLimit)) return fail(stream, start, Reader::readError());
    for (;;) {
        TDockZone z;
        if (!in.integer(z.Level)) return fail(stream, start, Reader::readError());
        if (z.Level == kStreamEndMark) return {};
        if (layout.Zones.size() >= size_t(kMaxStreamItems))
            return fail(stream, start, ru("Неправильное число панелей (%1)").arg(layout.Zones.size() + 1));
        if (!in.byte(z.Orientation) || !in.integer(z.Limit)) return fail(stream, start, Reader::readError());
        if (!in.name(z.Name, error)) return fail(stream, start, error);
        layout.Zones.push_back(std::move(z));
    }
}

TSiteTrailer TrailerFor(SiteAlign align, int32_t width, int32_t height) {
    TSiteTrailer t;
    if (align == SiteAlign::None || align == SiteAlign::Left || align == SiteAlign::Right) t.Width = width;
    if (align == SiteAlign::None || align == SiteAlign::Top || align == SiteAlign::Bottom) t.Height = height;
    return t;
}

bool WriteSiteLayout(TZoStream* stream, const TDockLayout* tree, const TSiteTrailer& trailer) {
    if (!stream) return false;
    const int32_t start = stream->Position ? stream->Position(stream) : -1;
    Writer out(stream);
    const bool ok = (!tree || WriteDockLayout(stream, *tree)) && out.integer(kSiteSignature) &&
                    out.integer(trailer.Width) && out.integer(trailer.Height);
    if (!ok && start >= 0) SeekStream(stream, start);
    return ok;
}

DockStreamResult ReadSiteLayout(TZoStream* stream, TSiteLayout& layout) {
    layout = TSiteLayout();
    if (!stream) return {};
    Reader in(stream);
    const int32_t start = in.position();
    auto readTrailer = [&]() {
        if (!in.integer(layout.Trailer.Width) || !in.integer(layout.Trailer.Height)) return false;
        layout.HasTrailer = true;
        return true;
    };
    int32_t first = 0;
    if (in.left() >= 4) {
        if (!in.integer(first)) return fail(stream, start, Reader::readError());
        if (first == kSiteSignature) {
            if (!readTrailer()) return fail(stream, start, Reader::readError());
            return {};
        }
        if (!SeekStream(stream, start)) return fail(stream, -1, ru("Позиция потока не может быть восстановлена"));
    }
    DockStreamResult r = ReadDockLayout(stream, layout.Tree);
    if (!r.ok) return fail(stream, start, r.error);
    layout.HasTree = true;
    const int32_t afterTree = in.position();
    int32_t signature = 0;
    if (in.left() < 4 || !in.integer(signature) || signature != kSiteSignature) {
        SeekStream(stream, afterTree);
        return {};
    }
    if (!readTrailer()) return fail(stream, start, Reader::readError());
    return {};
}

}  // namespace zo::configurator
