// The dock streams read and written apart from any widget.
#include "configurator/windows/DockStreams.h"
#include "configurator/windows/MemoryStream.h"

#include <gtest/gtest.h>

#include <map>

namespace zo::configurator {
namespace {

std::string le(int32_t v) {
    const uint32_t u = uint32_t(v);
    return std::string{char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}
std::string name(const std::string& s) { return le(int32_t(s.size())) + s; }

std::string floatItem(int32_t size, int32_t l, int32_t t, int32_t r, int32_t b, int32_t vis, const std::string& key) {
    return le(size) + le(l) + le(t) + le(r) + le(b) + le(vis) + name(key);
}

std::map<std::string, TFloatRecord> readAll(TZoMemoryStream& ms, DockStreamResult* result = nullptr) {
    std::map<std::string, TFloatRecord> got;
    DockStreamResult r = ReadFloatTree(ms.Stream(), [&](const FloatEntry& e) { got[e.key] = e.record; });
    if (result) *result = r;
    return got;
}

TEST(FloatTreeStream, RoundTripKeepsEveryRecordAndKey) {
    std::vector<FloatEntry> entries = {
        {".MAIN.LIBRARY;QAPPLICATION.TMAINFORM.TSOURCEFORM", {24, -200, 10, 200, 310, 1}},
        {".MAIN.TREE;QAPPLICATION.TMAINFORM.TPROJECTFORM", {24, 5, 6, 7, 8, 0}},
    };
    TZoMemoryStream ms;
    ASSERT_TRUE(WriteFloatTree(ms.Stream(), entries));
    EXPECT_EQ(ms.Bytes().substr(0, 4), le(3));
    EXPECT_EQ(ms.Bytes().substr(ms.Bytes().size() - 4), le(-1));
    ASSERT_TRUE(ms.Seek(0));
    DockStreamResult r;
    auto got = readAll(ms, &r);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(got.size(), 2u);
    const TFloatRecord& a = got.at(entries[0].key);
    EXPECT_EQ(a.Left, -200);
    EXPECT_EQ(a.Bottom, 310);
    EXPECT_EQ(a.Visible, 1);
    EXPECT_EQ(got.at(entries[1].key).Right, 7);
    EXPECT_EQ(ms.Position(), int32_t(ms.Bytes().size()));
}

TEST(FloatTreeStream, EmptyStreamReadsNothingAndEmptyKeysAreSkipped) {
    TZoMemoryStream empty;
    DockStreamResult r;
    EXPECT_TRUE(readAll(empty, &r).empty());
    EXPECT_TRUE(r.ok);
    TZoMemoryStream ms(le(3) + floatItem(24, 1, 2, 3, 4, 1, "") + floatItem(24, 1, 2, 3, 4, 1, "K") + le(-1));
    auto got = readAll(ms, &r);
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got.count("K"), 1u);
}

TEST(FloatTreeStream, VersionIsJudgedByItsLowSixteenBits) {
    TZoMemoryStream ok(le(0x00010003) + floatItem(24, 1, 2, 3, 4, 1, "K") + le(-1));
    DockStreamResult r;
    EXPECT_EQ(readAll(ok, &r).size(), 1u);
    EXPECT_TRUE(r.ok);

    TZoMemoryStream bad(le(4) + le(-1));
    auto got = readAll(bad, &r);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(r.error, QString::fromUtf8("Неправильная версия (4) TFloatTreeCep"));
    EXPECT_EQ(bad.Position(), 0);
}

TEST(FloatTreeStream, BadItemIsRefusedAndWhatCameBeforeIsKept) {
    const std::string head = le(3) + floatItem(24, 1, 2, 3, 4, 1, "FIRST");
    struct Case {
        const char* what;
        std::string item;
        QString error;
    } cases[] = {
        {"wrong size", floatItem(23, 1, 2, 3, 4, 1, "X"), QString::fromUtf8("Неправильный размер данных (23)")},
        {"huge key length", le(24) + le(1) + le(2) + le(3) + le(4) + le(1) + le(0x7FFFFFFF) + "abc",
         QString::fromUtf8("Неправильная длина имени (2147483647)")},
        {"key longer than the stream", le(24) + le(1) + le(2) + le(3) + le(4) + le(1) + le(10) + "abc",
         QString::fromUtf8("Неправильная длина имени (10)")},
        {"cut record", le(24) + le(1) + le(2), QString::fromUtf8("Ошибка чтения потока")},
        {"no end mark", std::string(), QString::fromUtf8("Ошибка чтения потока")},
    };
    for (const Case& c : cases) {
        TZoMemoryStream ms(head + c.item);
        DockStreamResult r;
        auto got = readAll(ms, &r);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.error, c.error) << c.what;
        EXPECT_EQ(got.size(), 1u) << c.what;
        EXPECT_EQ(got.count("FIRST"), 1u) << c.what;
        EXPECT_EQ(r.rewindTo, int32_t(head.size())) << c.what;
        EXPECT_EQ(ms.Position(), int32_t(head.size())) << c.what;
    }
}

TDockLayout sampleLayout() {
    TDockLayout l;
    l.Hidden = {"ObjInspect"};
    l.TopLimit = 240;
    l.Zones = {{0, 2, 240, ""}, {1, 0, 120, "SourceForm"}, {1, 0, 240, "ProjectForm"}};
    return l;
}

TEST(DockLayoutStream, RoundTripOfBothVersions) {
    TZoMemoryStream ms;
    ASSERT_TRUE(WriteDockLayout(ms.Stream(), sampleLayout()));
    // The long version carries two bytes after the version that the reader skips.
    const std::string longForm = le(kDockTreeVersionLong) + "\x01\x02" + ms.Bytes().substr(4);
    for (const std::string& bytes : {ms.Bytes(), longForm}) {
        TZoMemoryStream in(bytes);
        TDockLayout l;
        DockStreamResult r = ReadDockLayout(in.Stream(), l);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(l.Hidden, std::vector<std::string>{"ObjInspect"});
        EXPECT_EQ(l.TopLimit, 240);
        ASSERT_EQ(l.Zones.size(), 3u);
        EXPECT_EQ(l.Zones[0].Orientation, 2);
        EXPECT_EQ(l.Zones[1].Name, "SourceForm");
        EXPECT_EQ(l.Zones[2].Limit, 240);
        EXPECT_EQ(in.Position(), int32_t(bytes.size()));
    }
}

TEST(DockLayoutStream, HugeCountsAndLengthsAreRefused) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"hidden count 0x7FFFFFFF", le(kDockTreeVersion) + le(0x7FFFFFFF) + le(0)},
        {"negative hidden count", le(kDockTreeVersion) + le(-5) + le(0)},
        {"hidden name 0x7FFFFFFF long", le(kDockTreeVersion) + le(1) + le(0x7FFFFFFF) + "ab"},
        {"zone name 0x7FFFFFFF long",
         le(kDockTreeVersion) + le(0) + le(0) + le(1) + "\x00" + le(5) + le(0x7FFFFFFF) + "ab"},
        {"unknown version", le(0x00050000) + le(0) + le(0) + le(-1)},
        {"no end of zones", le(kDockTreeVersion) + le(0) + le(0) + le(1) + std::string(1, '\0') + le(5) + name("A")},
    };
    for (const Case& c : cases) {
        TZoMemoryStream ms(c.bytes);
        TDockLayout l;
        DockStreamResult r = ReadDockLayout(ms.Stream(), l);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_FALSE(r.error.isEmpty()) << c.what;
        EXPECT_EQ(ms.Position(), 0) << c.what;
    }
}

TEST(SiteLayoutStream, TrailerTellsWidthOrHeightByAlignment) {
    struct Case {
        SiteAlign align;
        int32_t w, h;
    } cases[] = {
        {SiteAlign::None, 100, 50},  {SiteAlign::Left, 100, -1},  {SiteAlign::Right, 100, -1},
        {SiteAlign::Top, -1, 50},    {SiteAlign::Bottom, -1, 50},
    };
    for (const Case& c : cases) {
        TSiteTrailer t = TrailerFor(c.align, 100, 50);
        EXPECT_EQ(t.Width, c.w);
        EXPECT_EQ(t.Height, c.h);
    }
}

TEST(SiteLayoutStream, TreeAndTrailerTrailerAloneAndTreeAlone) {
    const TDockLayout tree = sampleLayout();
    {
        TZoMemoryStream ms;
        ASSERT_TRUE(WriteSiteLayout(ms.Stream(), &tree, {180, -1}));
        ms.Seek(0);
        TSiteLayout l;
        ASSERT_TRUE(ReadSiteLayout(ms.Stream(), l).ok);
        EXPECT_TRUE(l.HasTree);
        EXPECT_EQ(l.Tree.Zones.size(), 3u);
        ASSERT_TRUE(l.HasTrailer);
        EXPECT_EQ(l.Trailer.Width, 180);
        EXPECT_EQ(l.Trailer.Height, -1);
    }
    {
        TZoMemoryStream ms(le(kSiteSignature) + le(-1) + le(77));
        TSiteLayout l;
        ASSERT_TRUE(ReadSiteLayout(ms.Stream(), l).ok);
        EXPECT_FALSE(l.HasTree);
        ASSERT_TRUE(l.HasTrailer);
        EXPECT_EQ(l.Trailer.Height, 77);
    }
    {
        // A tree followed by something else: the position stays after the tree.
        TZoMemoryStream treeOnly;
        WriteDockLayout(treeOnly.Stream(), tree);
        const int32_t end = int32_t(treeOnly.Bytes().size());
        TZoMemoryStream ms(treeOnly.Bytes() + le(12345));
        TSiteLayout l;
        ASSERT_TRUE(ReadSiteLayout(ms.Stream(), l).ok);
        EXPECT_TRUE(l.HasTree);
        EXPECT_FALSE(l.HasTrailer);
        EXPECT_EQ(ms.Position(), end);
    }
}

}  // namespace
}  // namespace zo::configurator
