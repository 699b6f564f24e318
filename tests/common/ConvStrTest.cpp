#include "common/ConvStr.h"

#include <gtest/gtest.h>

using zo::GetDelimField;
using zo::PadRight;

TEST(ConvStr, GetDelimFieldTable) {
    struct Case {
        const char* text;
        char d;
        int n;
        const char* expected;
    } cases[] = {
        {"Struct.xml/STRUCT/Block", '/', 3, "Block"},
        {"Struct.xml/STRUCT/Block", '/', 4, ""},
        {"  a   b  /  c  ", '/', 1, "a b"},
        {"  a   b  /  c  ", '/', 2, "c"},
        {"/x/y", '/', 1, ""},
        {"/x/y", '/', 2, "x"},
        {"abc", '/', 0, ""},
        {"  abc ", '/', 1, "abc"},
        {"a//b", '/', 2, ""},
        {"a//b", '/', 3, "b"},
        {"a|b\t|c", '|', 2, "b"},
        {"", '/', 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetDelimField(c.text, c.d, c.n), c.expected) << c.text << " n=" << c.n;
    }
}

TEST(ConvStr, PadRightTable) {
    EXPECT_EQ(PadRight("ab", 5, '.'), "ab...");
    EXPECT_EQ(PadRight("abcdef", 5, '.'), "abcdef");
    EXPECT_EQ(PadRight("abcde", 5, '.'), "abcde");
    EXPECT_EQ(PadRight("", 2, ' '), "  ");
}
