// A device description or a project built to make the build write elsewhere:
// file names in the assembler's options or source that leave the upload
// folder, and project names that would split the tools' command lines or add
// lines to the files they write. Each is refused with its line, and the file
// outside the upload folder stays as it was.
#include "AvrFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace zo::test;
namespace fs = std::filesystem;

namespace {

const std::string kVictimText = "the user's file";

std::string buildWith(const std::string& cmd, const std::string& source) {
    return "<BUILD CMD=\"" + cmd + "\" SOURCE=\"" + source +
           "\"><PROGRAM FILE=\"main_prog.asm\"/><DEVICE FILE=\"m128def.inc\"/><COPY FILE=\"macros.inc\"/></BUILD>";
}

TEST(HostileBuild, FileNamesOfTheAssemblerStayInTheUploadFolder) {
    struct Case {
        const char* what;
        std::string cmd;     // {V}: the victim's relative name as the description gives it, {A}: its absolute path
        std::string source;
        std::string refused;  // the name the line gives, {V} and {A} as above
        bool brokenAssembly;  // the assembly fails as well
    };
    const Case cases[] = {
        {"listing above the upload folder", "avrasm2 -fI -l {V}", "main.asm", "{V}", false},
        {"image above the upload folder, assembly failing", "avrasm2 -fI -o {V}", "main.asm", "{V}", true},
        {"map joined to its option", "avrasm2 -fI -m{V}", "main.asm", "{V}", false},
        {"eeprom file after an equals sign", "avrasm2 -fI -e={V}", "main.asm", "{V}", false},
        {"options as quoted words", "avrasm2 &quot;-fI&quot; &quot;-l&quot; &quot;{V}&quot;", "main.asm", "{V}", false},
        {"absolute listing", "avrasm2 -fI -l {A}", "main.asm", "{A}", false},
        {"source above the upload folder", "avrasm2 -fI", "{V}", "{V}", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AvrFixture f;
        const std::string victim = f.p() + "/victim.txt";
        writeBytes(victim, kVictimText);
        auto name = [&](std::string text) {
            for (size_t at; (at = text.find("{V}")) != std::string::npos;) text.replace(at, 3, "..\\victim.txt");
            for (size_t at; (at = text.find("{A}")) != std::string::npos;) text.replace(at, 3, victim);
            return text;
        };
        f.writeDevice(buildWith(name(c.cmd), name(c.source)));
        if (c.brokenAssembly) writeBytes(f.runtime() + "/library/lib_zbroken.inc", "\tfoo r1\r\n");
        EXPECT_EQ(f.host.run(), -7) << f.host.logText();
        ASSERT_FALSE(f.host.log.empty());
        const std::string refused = name(c.refused);
        EXPECT_EQ(f.host.log.back().text, "Недопустимое имя файла \"" + refused +
                                              "\" в параметрах компиляции: файл должен лежать в папке проекта.");
        EXPECT_EQ(f.host.log.back().level, 5);
        EXPECT_TRUE(f.host.commandLines.size() == 1) << "only the converter ran";
        EXPECT_EQ(readBytes(victim), kVictimText);
    }
}

// A project name holding a quote would end its quoted word in the converter's
// command line; one holding a line feed would start a line of the files named
// after it. Neither reaches a tool, and nothing is written.
TEST(HostileBuild, AProjectNameThatIsNoPlainFileNameIsNotBuilt) {
    for (const std::string name : {"AvrDemo.cfg\" \"-o=pwned.hc", "Demo\nnop", "..\\Demo", "sub/Demo"}) {
        SCOPED_TRACE(name);
        AvrFixture f(name);
        EXPECT_EQ(f.host.run(), -5) << f.host.logText();
        ASSERT_FALSE(f.host.log.empty());
        EXPECT_EQ(f.host.log.back().text, "Недопустимое имя проекта \"" + name + "\": сборка не выполняется.");
        EXPECT_TRUE(f.host.commandLines.empty());
        EXPECT_TRUE(fs::is_empty(f.p() + "/Configuration"));
        EXPECT_TRUE(fs::is_empty(f.upload()));
    }
}

}  // namespace
