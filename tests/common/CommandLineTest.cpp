// A name put into a command line as one quoted word comes back whole, whatever
// quotes, blanks, tabs or line ends it holds: no name can end its word, start
// another or run into the next one.
#include "common/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommandLine, AQuotedWordSplitsBackWhole) {
    const std::vector<std::string> names = {
        "plain",
        "with blank",
        "AvrDemo.cfg\" \"-o=pwned.hc",
        "\"",
        "ends with a quote\"",
        "\"\"",
        "line\nfeed\r\nand\ttab",
        "C:\\dir\\",
        "",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string line = zo::QuoteCommandWord("tool") + " " + zo::QuoteCommandWord(name) + " " +
                                 zo::QuoteCommandWord("-o=next");
        EXPECT_EQ(zo::SplitCommandLine(line), (std::vector<std::string>{"tool", name, "-o=next"}));
        EXPECT_EQ(zo::SplitCommandLine("tool " + zo::CommandWord(name) + " -o=" + zo::QuoteCommandWord(name)),
                  (std::vector<std::string>{"tool", name, "-o=" + name}));
    }
    EXPECT_EQ(zo::CommandWord("-fI"), "-fI");
}

}  // namespace
