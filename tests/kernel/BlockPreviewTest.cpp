// Previews of library blocks through the kernel record, and their release
// through the graphic library.

#include "KernelHost.h"

#include "common/abi/GraficOptions.h"
#include "kernel/BlockPreview.h"
#include "kernel/KernelState.h"
#include "platform/DynLib.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace {

const char* const kLibrary = R"(<?xml version="1.0" encoding="windows-1251"?>
<FBD NAME="Preview">
  <GROUP NAME="Logic" IM="Logic">
    <BLOCK NAME="AND3" IM="And" Library="and3.inc">
      <IN NAME="A" TYPE="Bool" DEFAULT="65535"/>
      <IN NAME="B" TYPE="Bool" DEFAULT="65535"/>
      <IN NAME="C" TYPE="Bool" DEFAULT="65535"/>
      <OUT NAME="Q" TYPE="Bool" DEFAULT="65535"/>
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="12"/>
    </BLOCK>
  </GROUP>
</FBD>
)";
const char* const kBlockPath = "\\Library\\Preview.xml/FBD/Logic/AND3";

// The graphic library's record as the kernel bound it (the same loaded library).
TGraficOptions* graficRecord() {
    LibraryRecord lib = LoadLibraryRecord("ZoGraficConfig.so");
    platform::unloadLibrary(lib.handle);  // the kernel keeps it loaded
    return static_cast<TGraficOptions*>(lib.record);
}

class BlockPreview : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(program_.sub("Library"));
        writeBytes(program_.sub("Library/Preview.xml"), kLibrary);
        LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
        ASSERT_NE(KernelOptionsPtr, nullptr);
        KernelOptionsPtr->ConvertOptions = const_cast<TConvertOptions*>(zo::test::ConvertOptions());
        KernelOptionsPtr->SetLogCallback("Vezevire.log", LogRecorder::WriteProc);
        KernelOptionsPtr->KernelInit();
    }
    void TearDown() override { UnloadKernelLibrary(nullptr); }
    TKernelOptions& o() { return *KernelOptionsPtr; }

    ProgramFolder program_;
    TempDir config_;
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
};

}  // namespace

TEST_F(BlockPreview, APreviewIsTheBlocksPictureAndGoesBackToTheGraphicLibrary) {
    void* bitmap = nullptr;
    ASSERT_EQ(o().GetBlockPreview(kBlockPath, &bitmap), 0);
    ASSERT_NE(bitmap, nullptr);
    const QImage& image = *static_cast<const QImage*>(bitmap);
    EXPECT_GT(image.width(), 0);
    EXPECT_GT(image.height(), 0);
    EXPECT_EQ(image.width() % 12, 0);
    EXPECT_EQ(image.height() % 12, 0);
    // Three inputs on the left: at least three cells high.
    EXPECT_GE(image.height(), 36);
    // Something is drawn on it.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x) drawn = image.pixel(x, y) != image.pixel(0, 0);
    EXPECT_TRUE(drawn);

    void* second = nullptr;
    ASSERT_EQ(o().GetBlockPreview(kBlockPath, &second), 0);
    EXPECT_NE(second, bitmap);

    EXPECT_EQ(o().FreeBlockPreview(&bitmap), 0);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(o().FreeBlockPreview(&bitmap), -1);
    EXPECT_EQ(o().FreeBlockPreview(nullptr), -1);
    // A picture the graphic library did not make is refused by it.
    QImage foreign(12, 12, QImage::Format_RGB32);
    void* notOurs = &foreign;
    EXPECT_EQ(o().FreeBlockPreview(&notOurs), -2);
    EXPECT_EQ(notOurs, &foreign);

    EXPECT_EQ(o().FreeBlockPreview(&second), 0);
    // No picture is left alive in the graphic library.
    TGraficOptions* g = graficRecord();
    ASSERT_NE(g, nullptr);
    auto done = ZO_FIELD(*g, GraficDone);
    EXPECT_EQ(done(), 0);
    for (const LogLine& l : log_.lines) EXPECT_NE(l.level, 5) << l.text;
}

TEST_F(BlockPreview, RefusedRequestsLeaveTheBitmapAsItWas) {
    int sentinel = 0;
    void* taken = &sentinel;
    EXPECT_EQ(o().GetBlockPreview(kBlockPath, &taken), -1);
    EXPECT_EQ(taken, &sentinel);
    EXPECT_EQ(o().GetBlockPreview(kBlockPath, nullptr), -1);
    void* bitmap = nullptr;
    EXPECT_EQ(o().GetBlockPreview(nullptr, &bitmap), -1);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(o().GetBlockPreview("\\Library\\Preview.xml/FBD/Logic/NOSUCH", &bitmap), -1);
    EXPECT_EQ(bitmap, nullptr);
    {
        UiRecorder ui;
        EXPECT_EQ(o().GetBlockPreview("\\Library\\Missing.xml/FBD/Logic/AND3", &bitmap), -1);
    }
    EXPECT_EQ(bitmap, nullptr);
    TGraficOptions* g = graficRecord();
    ASSERT_NE(g, nullptr);
    auto done = ZO_FIELD(*g, GraficDone);
    EXPECT_EQ(done(), 0);
}

// White-box: a kernel state without its outside libraries.
TEST(BlockPreviewWithoutGraphicLibrary, NothingIsMadeAndNothingFreed) {
    zo::kernel::CreateState();
    QImage picture(12, 12, QImage::Format_RGB32);
    void* bitmap = &picture;
    EXPECT_EQ(FreeBlockPreview(&bitmap), -2);
    EXPECT_EQ(bitmap, &picture);
    void* none = nullptr;
    EXPECT_EQ(FreeBlockPreview(&none), -1);
    EXPECT_EQ(GetBlockPreview(kBlockPath, &none), -1);
    EXPECT_EQ(none, nullptr);
    zo::kernel::DestroyState();
}
