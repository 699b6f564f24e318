// The interrupt vectors file: vector lines from the device include's vector
// block, handlers found in the upload folder's include files.
#include "avrbuilder/InterruptVectors.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zo;
using namespace zo::test;

namespace {

const std::string kHeader = "; This file was created with ZoAVRbuilder.dll";

std::vector<std::string> vectorsOf(const TempDir& dir, const std::string& include) {
    writeBytes(dir.file("dev.inc"), include);
    std::vector<std::string> lines;
    EXPECT_EQ(avr::WriteInterruptVectors(dir.str(), dir.file("dev.inc"), lines), 0);
    return lines;
}

TEST(InterruptVectors, LinesOfTheUsualLayoutEachAtItsAddress) {
    TempDir dir;
    const std::vector<std::string> lines = vectorsOf(dir,
                                                     ".equ SREG = 0x3f\r\n"
                                                     "; ***** INTERRUPT VECTORS *****\r\n"
                                                     ".equ\tINT0addr\t= 0x0002\t; External Interrupt Request 0\r\n"
                                                     ".equ INT1addr = 0x0004 ; External Interrupt Request 1\r\n"
                                                     ".equ\tINT_VECTORS_SIZE\t= 70\t; size in words\r\n");
    const std::vector<std::string> expected = {
        kHeader,
        "; ***** INTERRUPT VECTORS *****",
        ".org 0x0002",
        "reti" + std::string(21, ' ') + ";0x0002 External Interrupt Request 0  (iINT0addr)",
        ".org 0x0004",
        "reti" + std::string(21, ' ') + ";0x0004 External Interrupt Request 1  (iINT1addr)",
        ";****\tINT_VECTORS_SIZE\t= 70\t; size in word     ****",
    };
    EXPECT_EQ(lines, expected);
}

TEST(InterruptVectors, NamesAndValuesWithoutBlanksKeepTheirLastCharacter) {
    TempDir dir;
    const std::vector<std::string> lines =
        vectorsOf(dir, ";INTERRUPT VECTORS\n.equ OC1Aaddr=0x0018;Compare A\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], ".org 0x0018");
    EXPECT_EQ(lines[3], "reti" + std::string(21, ' ') + ";0x0018Compare A  (iOC1Aaddr)");
}

TEST(InterruptVectors, SectionRules) {
    struct Case {
        const char* name;
        std::string include;
        std::vector<std::string> labels;  // the vectors, in order
    };
    const Case cases[] = {
        {"no vector comment: only the banner", ".equ A = 0x0002 ; a\n.equ INT_VECTORS_SIZE = 4 ; w\n", {}},
        {"same address twice in a row: the first name",
         ";INTERRUPT VECTORS\n.equ A = 0x0002 ; a\n.equ B = 0x0002 ; b\n.equ C = 0x0004 ; c\n", {"iA", "iC"}},
        {"same address further apart: both",
         ";INTERRUPT VECTORS\n.equ A = 0x0002 ; a\n.equ B = 0x0004 ; b\n.equ C = 0x0002 ; c\n", {"iA", "iB", "iC"}},
        {"a blank line ends the block", ";INTERRUPT VECTORS\n.equ A = 0x0002 ; a\n\n.equ B = 0x0004 ; b\n", {"iA"}},
        {"a comment line ends the block", ";INTERRUPT VECTORS\n.equ A = 0x0002 ; a\n; more\n.equ B = 0x0004 ; b\n",
         {"iA"}},
        {"an \"=\" inside the comment defines nothing",
         ";INTERRUPT VECTORS\n.equ ;A = 0x0002\n.equ B ; = 0x0004\n.equ C = 0x0006 ; c = d\n", {"iC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::string> labels;
        bool banner = false;
        for (const std::string& line : vectorsOf(dir, c.include)) {
            if (line.rfind("reti", 0) == 0) labels.push_back(line.substr(line.find("(i") + 1, line.size() - line.find("(i") - 2));
            if (line.rfind(";****", 0) == 0) banner = true;
        }
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(banner, c.include.find("INT_VECTORS_SIZE") != std::string::npos);
    }
}

TEST(InterruptVectors, HandlerLabelsInUploadIncludesGiveJumps) {
    TempDir dir;
    writeBytes(dir.file("timer.inc"), "; handler\r\niOC1Aaddr:\r\n\treti\r\n");
    writeBytes(dir.file("other.inc"), "iINT0addrMore: nop\n");  // a prefix match too
    writeBytes(dir.file("notes.txt"), "iINT1addr:\n");         // not an include
    const std::vector<std::string> lines = vectorsOf(
        dir, ";INTERRUPT VECTORS\n.equ INT0addr = 0x0002 ; a\n.equ INT1addr = 0x0004 ; b\n.equ OC1Aaddr = 0x0018 ; c\n");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "rjmp iINT0addr" + std::string(16, ' ') + ";0x0002 a");
    EXPECT_EQ(lines[5], "reti" + std::string(21, ' ') + ";0x0004 b  (iINT1addr)");
    EXPECT_EQ(lines[7], "rjmp iOC1Aaddr" + std::string(16, ' ') + ";0x0018 c");
}

TEST(InterruptVectors, MissingIncludeLeavesTheHeaderAlone) {
    TempDir dir;
    std::vector<std::string> lines = {"old"};
    EXPECT_EQ(avr::WriteInterruptVectors(dir.str(), dir.file("none.inc"), lines), -1);
    EXPECT_EQ(lines, std::vector<std::string>{kHeader});
}

}  // namespace
