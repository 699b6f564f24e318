#include "common/MenObj.h"

#include <gtest/gtest.h>

#include <cstring>

using zo::TMenObj;

namespace {
struct Item {
    char name[8];
    int value;
};

Item make(const char* name, int value) {
    Item it{};
    std::strncpy(it.name, name, sizeof it.name - 1);
    it.value = value;
    return it;
}
}  // namespace

TEST(MenObj, AddInsertDeleteKeepOrder) {
    TMenObj a;
    a.SetItemSize(sizeof(Item));
    Item x = make("a", 1), y = make("b", 2), z = make("c", 3);
    ASSERT_EQ(a.AddItem(&x), 1);
    ASSERT_EQ(a.AddItem(&z), 1);
    ASSERT_EQ(a.InsertItem(1, &y), 1);
    ASSERT_EQ(a.Count, 3);
    EXPECT_EQ(static_cast<Item*>(a.GetItem(1))->value, 2);
    EXPECT_EQ(static_cast<Item*>(a.GetItem(2))->value, 3);
    EXPECT_EQ(a.InsertItem(3, nullptr), 1);  // index = Count appends, zero-filled
    EXPECT_EQ(static_cast<Item*>(a.GetItem(3))->value, 0);
    EXPECT_EQ(a.InsertItem(5, &x), 0);  // past Count: refused
    EXPECT_EQ(a.Count, 4);
    a.DeleteItem(0);
    EXPECT_EQ(static_cast<Item*>(a.GetItem(0))->value, 2);
    a.DeleteItem(a.Count);  // nothing
    EXPECT_EQ(a.Count, 3);
    EXPECT_EQ(a.GetItem(a.Count), nullptr);
    Item out{};
    EXPECT_EQ(a.CopyItem(a.Count, &out), 0);
    EXPECT_EQ(a.CopyItem(0, &out), 1);
    EXPECT_EQ(out.value, 2);
    EXPECT_EQ(a.Capacity, 4);  // growth one item at a time, block kept by delete
}

TEST(MenObj, FindNameFoldsOnlyLatinCase) {
    TMenObj a;
    a.SetItemSize(sizeof(Item));
    const char cyrUpper[] = "\xC0\xC1";  // "АБ" in Windows-1251
    const char cyrLower[] = "\xE0\xE1";  // "аб"
    Item x = make("Sheet", 1), y = make(cyrUpper, 2);
    a.AddItem(&x);
    a.AddItem(&y);
    uint16_t idx = 99;
    EXPECT_TRUE(a.FindName(idx, "sHEET"));
    EXPECT_EQ(idx, 0);
    EXPECT_TRUE(a.FindName(idx, cyrUpper));
    EXPECT_EQ(idx, 1);
    EXPECT_FALSE(a.FindName(idx, cyrLower));
    EXPECT_EQ(idx, a.Count);
    EXPECT_FALSE(a.FindName(idx, "Shee"));
}

TEST(MenObj, FindNameReadsNoMoreThanItemSize) {
    TMenObj a;
    a.SetItemSize(4);
    const char full[4] = {'a', 'b', 'c', 'd'};  // no terminator inside the item
    a.AddItem(full);
    uint16_t idx = 0;
    EXPECT_TRUE(a.FindName(idx, "ABCD"));
    EXPECT_FALSE(a.FindName(idx, "abcde"));
}

TEST(MenObj, SetItemSizeEmptiesOnlyOnChange) {
    TMenObj a;
    a.SetItemSize(4);
    a.AddItem(nullptr);
    a.SetItemSize(4);
    EXPECT_EQ(a.Count, 1);
    a.SetItemSize(8);
    EXPECT_EQ(a.Count, 0);
    EXPECT_EQ(a.Capacity, 0);
    EXPECT_EQ(a.Data, nullptr);
}

TEST(MenObj, StopsAt65535Items) {
    TMenObj a;
    a.SetItemSize(1);
    a.SetCount(65535);
    ASSERT_EQ(a.Count, 65535);
    const char c = 'x';
    EXPECT_EQ(a.AddItem(&c), 0);
    EXPECT_EQ(a.InsertItem(0, &c), 0);
    EXPECT_EQ(a.Count, 65535);
    EXPECT_EQ(a.Capacity, 65535);
}

TEST(MenObj, CloneToCopiesOrGivesEmptyTarget) {
    TMenObj a;
    a.SetItemSize(sizeof(Item));
    TMenObj* target = nullptr;
    EXPECT_FALSE(a.CloneTo(target));
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->Count, 0);
    EXPECT_EQ(target->ItemSize, sizeof(Item));
    Item x = make("k", 7);
    a.AddItem(&x);
    EXPECT_TRUE(a.CloneTo(target));
    ASSERT_EQ(target->Count, 1);
    EXPECT_EQ(static_cast<Item*>(target->GetItem(0))->value, 7);
    EXPECT_NE(target->Data, a.Data);
    delete target;
}
