#include "KernelHost.h"

#include "kernel/KernelState.h"
#include "kernel/LibraryFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace zo;
using namespace zo::test;

namespace {

// The list through the kernel's record, as the library window uses it.
class LibraryFiles : public ::testing::Test {
protected:
    void SetUp() override {
        LoadKernelLibrary("\\system", nullptr, nullptr, nullptr);
        ASSERT_NE(KernelOptionsPtr, nullptr);
    }
    void TearDown() override { UnloadKernelLibrary(nullptr); }
    TKernelOptions& o() { return *KernelOptionsPtr; }

    ProgramFolder program_;
    ScopedCurrentDir cd_{program_.path()};
};

}  // namespace

TEST_F(LibraryFiles, EntriesKeepTheirOrderAndLongPathsTheirFirst99Characters) {
    EXPECT_EQ(o().LibraryFileCount(), 0);
    EXPECT_EQ(o().GetLibraryFile(0), nullptr);
    ASSERT_EQ(o().AddLibraryFile("\\Library\\Logic.xml"), 0);
    const std::string longPath = "\\Library\\" + std::string(107, 'x') + ".xml";
    ASSERT_EQ(longPath.size(), 120u);
    ASSERT_EQ(o().AddLibraryFile(longPath.c_str()), 0);
    ASSERT_EQ(o().AddLibraryFile(""), 0);
    EXPECT_EQ(o().LibraryFileCount(), 3);
    EXPECT_STREQ(o().GetLibraryFile(0), "\\Library\\Logic.xml");
    EXPECT_EQ(std::string(o().GetLibraryFile(1)), longPath.substr(0, 99));
    EXPECT_STREQ(o().GetLibraryFile(2), "");
    // Beyond the entries, below zero and beyond the 16-bit range: none.
    for (int32_t index : {3, -1, 65536, 65536 + 1, int32_t(0x7FFFFFFF), int32_t(0x80000000)})
        EXPECT_EQ(o().GetLibraryFile(index), nullptr) << index;
    EXPECT_EQ(o().AddLibraryFile(nullptr), -1);
    EXPECT_EQ(o().LibraryFileCount(), 3);

    EXPECT_EQ(o().ClearLibraryFiles(), 0);
    EXPECT_EQ(o().LibraryFileCount(), 0);
    EXPECT_EQ(o().GetLibraryFile(0), nullptr);
    ASSERT_EQ(o().AddLibraryFile("\\Library\\Timers.xml"), 0);
    EXPECT_STREQ(o().GetLibraryFile(0), "\\Library\\Timers.xml");
}

// White-box: the list made full up front, so filling it stays quick.
TEST(LibraryFileList, AFullListRefusesTheNextPath) {
    zo::kernel::CreateState();
    zo::TMenObj& files = zo::kernel::State().libraryFiles;
    ASSERT_TRUE(files.SetCapacity(uint16_t(zo::TMenObj::kMaxCount)));
    for (uint32_t i = 0; i < zo::TMenObj::kMaxCount; ++i)
        ASSERT_EQ(AddLibraryFile(std::to_string(i).c_str()), 0) << i;
    EXPECT_EQ(AddLibraryFile("one more"), -2);
    EXPECT_EQ(LibraryFileCount(), 65535);
    EXPECT_STREQ(GetLibraryFile(65534), "65534");
    EXPECT_EQ(GetLibraryFile(65535), nullptr);
    zo::kernel::DestroyState();
}
