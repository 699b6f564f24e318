#include "KernelHost.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/GraficServices.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

// The pin-list append the graphic library is given.
TEST(GraficServices, AddMenObjItemCopiesOneItemOfTheListsSize) {
    TMenObj pins;
    pins.SetItemSize(8);
    const uint8_t pin[12] = {1, 2, 3, 4, 5, 6, 7, 8, 99, 99, 99, 99};
    ASSERT_EQ(AddMenObjItem(&pins, pin), 0);
    ASSERT_EQ(pins.Count, 1);
    EXPECT_EQ(std::memcmp(pins.GetItem(0), pin, 8), 0);
    EXPECT_EQ(AddMenObjItem(nullptr, pin), -2);
    EXPECT_EQ(AddMenObjItem(&pins, nullptr), -1);
    EXPECT_EQ(pins.Count, 1);

    TMenObj full;
    full.SetItemSize(1);
    ASSERT_TRUE(full.SetCapacity(uint16_t(TMenObj::kMaxCount)));
    const uint8_t byte = 7;
    for (uint32_t i = 0; i < TMenObj::kMaxCount; ++i) ASSERT_EQ(AddMenObjItem(&full, &byte), 0);
    EXPECT_EQ(AddMenObjItem(&full, &byte), -1);
    EXPECT_EQ(full.Count, TMenObj::kMaxCount);
}

namespace {

class ConnectionTypeColor : public ::testing::Test {
protected:
    void SetUp() override {
        CreateState();
        State().structFolder = program_.path() + "\\Struct";
        State().structCache->ConvertOptions = zo::test::ConvertOptions();
    }
    void TearDown() override {
        ClearLineTypes(&State().lineTypes);
        DestroyState();
    }
    ProgramFolder program_;
    ScopedCurrentDir cd_{program_.path()};
};

}  // namespace

TEST_F(ConnectionTypeColor, FirstTypeOfThatNameIgnoringLatinCaseElseLightGrey) {
    EXPECT_EQ(GetConnectionTypeColor("Bool"), 0xC0C0C0);  // no types loaded
    const std::string file = program_.sub("Struct/Types.xml");
    writeBytes(file, cp("<?xml version='1.0' encoding='windows-1251'?><Lines><Line Name='Int' LineColor='255'/><Line Name='Bool' LineColor='32768'/>"
                        "<Line Name='BOOL' LineColor='16711680'/><Line Name='Дата' LineColor='65280'/></Lines>"));
    ASSERT_EQ(LoadLineTypes(file.c_str(), "Line_12px", "Line_12px_Mask", 12, &State().lineTypes), 0);
    struct Case {
        std::string name;  // UTF-8
        int32_t colour;
    } cases[] = {{"Int", 255},       {"int", 255},        {"bool", 32768}, {"BOOL", 32768},
                 {"Дата", 65280},    {"Boo", 0xC0C0C0},   {"", 0xC0C0C0},  {"Bool ", 0xC0C0C0}};
    for (const Case& c : cases) EXPECT_EQ(GetConnectionTypeColor(cp(c.name).c_str()), c.colour) << c.name;
    EXPECT_EQ(GetConnectionTypeColor(nullptr), 0xC0C0C0);
}
