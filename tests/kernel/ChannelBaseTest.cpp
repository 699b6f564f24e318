#include "ProjectModel.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/Stream.h"
#include "kernel/ChannelBase.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

// A stream over a byte string; it fails once it holds limit bytes.
struct MemoryStream {
    TZoStream stream{};
    std::string bytes;
    size_t limit = std::string::npos;

    MemoryStream() {
        stream.Context = this;
        stream.Write = [](TZoStream* s, const void* data, int32_t size) -> int32_t {
            auto* self = static_cast<MemoryStream*>(s->Context);
            if (self->bytes.size() + size_t(size) > self->limit) return -1;
            self->bytes.append(static_cast<const char*>(data), size_t(size));
            return size;
        };
        stream.Position = [](TZoStream* s) { return int32_t(static_cast<MemoryStream*>(s->Context)->bytes.size()); };
        stream.Size = stream.Position;
    }
};

std::string le32(int32_t v) {
    const auto u = uint32_t(v);
    return {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

class ChannelBase : public ProjectModel {
protected:
    std::string canals() const { return file("Struct/Canals.xml"); }

    // A full-type project: sheet 1 with a channel output, a plain block and a
    // channel input; sheet 2 with no channel; sheet 3 with one channel input.
    void channelProject() {
        newProject("Demo");
        const uint16_t s1 = addSheet("Лист 1");
        TBlockRecord* out = block(s1, addBlock(s1, basePath("Orvan_Out"), "Orvan_Out 1", 1, 1));
        setData(out, "IM", "Насос");
        setData(out, "ID", "12");
        addBlock(s1, file("Struct/Plain.xml") + "/FBD/Plain", "Plain 1", 5, 1);
        TBlockRecord* in = block(s1, addBlock(s1, basePath("Orvan_In"), "Orvan_In 1", 9, 1));
        setData(in, "ID", "-3");
        addSheet("Лист 2");
        const uint16_t s3 = addSheet("Лист 3");
        setData(block(s3, addBlock(s3, basePath("Orvan_In"), "Orvan_In 1", 1, 1)), "IM", "Вентиль");
    }
    void SetUp() override {
        ProjectModel::SetUp();
        writeBytes(file("Struct/Plain.xml"),
                   "<FBD><BLOCK NAME=\"Plain\"><IN NAME=\"A\" TYPE=\"Bool\"/><VAR NAME=\"ID\" TYPE=\"Integer\"/>"
                   "</BLOCK></FBD>");
    }
};

TEST_F(ChannelBase, FirstSaveCreatesTheBaseWithTheProjectsChannels) {
    channelProject();
    const std::string project = file("Project/Demo.hc");
    ASSERT_EQ(SaveProject(project.c_str()), 0);
    ASSERT_TRUE(fs::exists(canals()));
    EXPECT_TRUE(log_.has("Создана база каналов \"" + utf(State().structFolder) + "\\Canals.xml\""));
    EXPECT_EQ(utf(readBytes(canals())),
              "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
              "<!-- This document was created with Zo_xml unit. -->\n"
              "<Orvanta_Canals>\n"
              "  <_Demo.hc File=\"" + project + "\">\n"
              "    <List Name=\"Лист 1\">\n"
              "      <Orvan_Out In=\"65535\" IM=\"Насос\" ID=\"12\"/>\n"
              "      <Orvan_In Out=\"65535\" IM=\"\" ID=\"-3\"/>\n"
              "    </List>\n"
              "    <List Name=\"Лист 3\">\n"
              "      <Orvan_In Out=\"65535\" IM=\"Вентиль\" ID=\"0\"/>\n"
              "    </List>\n"
              "  </_Demo.hc>\n"
              "</Orvanta_Canals>\n");

    // Saving again with nothing changed leaves the base as it was.
    const std::string first = readBytes(canals());
    ASSERT_EQ(SaveProject(project.c_str()), 0);
    EXPECT_EQ(readBytes(canals()), first);

    // A changed channel replaces the project's lists, nothing piles up.
    setData(block(0, 0), "ID", "13");
    ASSERT_EQ(SaveProject(project.c_str()), 0);
    const std::string text = utf(readBytes(canals()));
    EXPECT_NE(text.find("ID=\"13\""), std::string::npos);
    EXPECT_EQ(text.find("ID=\"12\""), std::string::npos);
    EXPECT_EQ(text.size(), utf(first).size());
}

TEST_F(ChannelBase, ProjectWithoutChannelsGetsAnEmptyElementBesideOthers) {
    writeBytes(canals(), "<Orvanta_Canals><_Other.hc File=\"x\"><List Name=\"A\"><Orvan_In/></List></_Other.hc>"
                         "</Orvanta_Canals>");
    newProject("Demo");
    addSheet("Лист 1");
    ASSERT_EQ(SaveProject(file("Project/Demo.hc").c_str()), 0);
    const std::string text = readBytes(canals());
    EXPECT_NE(text.find("<_Demo.hc File=\"" + file("Project/Demo.hc") + "\"/>"), std::string::npos) << text;
    EXPECT_NE(text.find("<_Other.hc File=\"x\">"), std::string::npos) << text;
}

TEST_F(ChannelBase, SameFileNameFromAnotherFolderAsksBeforeRewriting) {
    channelProject();
    const std::string first = file("Project/Demo.hc");
    ASSERT_EQ(SaveProject(first.c_str()), 0);
    const std::string before = readBytes(canals());
    const std::string copy = file("Configuration/Demo.hc");

    UiRecorder ui;
    ui.answer = platform::Answer::No;
    ASSERT_EQ(SaveProject(copy.c_str()), 0);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Узел \"_Demo.hc\" создан из файла: \"" + first + "\"\r\nПересохранить из файла \"" +
                                   copy + "\"?");
    EXPECT_EQ(readBytes(canals()), before);
    EXPECT_TRUE(log_.has("База каналов \"" + utf(State().structFolder) + "\\Canals.xml\" не обновлена."));

    ui.answer = platform::Answer::Yes;
    ASSERT_EQ(SaveProject(copy.c_str()), 0);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(log_.has("Узел \"_Demo.hc\" пересохранен."));
    EXPECT_NE(readBytes(canals()).find("File=\"" + copy + "\""), std::string::npos);
}

TEST_F(ChannelBase, FileNamesAreMadeIntoValidElementNames) {
    EXPECT_EQ(ChannelElementName("/x/My project (1).hc"), "_My_project__1_.hc");
    EXPECT_EQ(utf(ChannelElementName(cp("C:\\Проекты\\Насосная-2.hc"))), "_Насосная-2.hc");
    EXPECT_EQ(ChannelElementName("/x/a:b&c<d>.hc"), "_a_b_c_d_.hc");

    newProject("Demo");
    const uint16_t s = addSheet("Лист 1");
    addBlock(s, basePath("Orvan_In"), "Orvan_In 1", 1, 1);
    ASSERT_EQ(SaveProject(file("Project/My project (1).hc").c_str()), 0);
    const std::string text = readBytes(canals());
    EXPECT_NE(text.find("<_My_project__1_.hc File="), std::string::npos) << text;
    EXPECT_EQ(LoadChannelBase(&State().channels, State().structCache, canals().c_str(),
                              file("Struct/Base.xml").c_str()),
              0);
}

TEST_F(ChannelBase, TwoElementsOfTheProjectLeaveTheBaseUnchanged) {
    const std::string base = "<Orvanta_Canals><_Demo.hc File=\"a\"/><_Demo.hc File=\"b\"/></Orvanta_Canals>";
    writeBytes(canals(), base);
    channelProject();
    UiRecorder ui;
    ASSERT_EQ(SaveProject(file("Project/Demo.hc").c_str()), 0);
    ASSERT_EQ(SaveProject(file("Project/Demo.hc").c_str()), 0);
    EXPECT_EQ(readBytes(canals()), base);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(log_.has("База каналов \"" + utf(State().structFolder) +
                         "\\Canals.xml\" не обновлена: узлов \"_Demo.hc\" - 2"));
}

TEST_F(ChannelBase, BaseThatDoesNotParseIsLeftAlone) {
    writeBytes(canals(), "<Orvanta_Canals>");
    channelProject();
    UiRecorder ui;
    ASSERT_EQ(SaveProject(file("Project/Demo.hc").c_str()), 0);
    EXPECT_EQ(readBytes(canals()), "<Orvanta_Canals>");
    EXPECT_TRUE(log_.has("Ошибка базы каналов \"" + utf(State().structFolder) + "\\Canals.xml\""));
}

TEST_F(ChannelBase, LoadingChecksTheBaseAndAnswersItsCodes) {
    TMenObj& list = State().channels;
    TArhivStruc* cache = State().structCache;
    const std::string basePath = file("Struct/Base.xml");
    auto load = [&](const std::string& text) {
        writeBytes(canals(), text);
        return LoadChannelBase(&list, cache, canals().c_str(), basePath.c_str());
    };
    EXPECT_EQ(LoadChannelBase(nullptr, cache, canals().c_str(), basePath.c_str()), -1);
    EXPECT_EQ(LoadChannelBase(&list, nullptr, canals().c_str(), basePath.c_str()), -1);
    TMenObj wrong;
    wrong.SetItemSize(130 + 1);
    EXPECT_EQ(LoadChannelBase(&wrong, cache, canals().c_str(), basePath.c_str()), -2);
    {
        // A fresh installation has no base: no box, one log line.
        UiRecorder ui;
        EXPECT_EQ(LoadChannelBase(&list, cache, canals().c_str(), basePath.c_str()), -4);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(log_.has("Ошибка в файле: " + canals()));
    }
    EXPECT_EQ(load("<X><Orvanta_Canals/><Orvanta_Canals/></X>"), -5);
    EXPECT_TRUE(log_.has("Число элементов <Orvanta_Canals>= 2"));
    EXPECT_EQ(load("<Orvanta_Canals><_A.hc><List Name=\"L\"><Orvan_Gone/></List></_A.hc></Orvanta_Canals>"), -6);
    // Elements not starting with "_" and lists without a name are passed over.
    EXPECT_EQ(load("<Orvanta_Canals><A.hc><List Name=\"L\"><Orvan_Gone/></List></A.hc>"
                   "<_B.hc><List><Orvan_Gone/></List><List Name=\"L\"><Orvan_In/><Orvan_Out/></List></_B.hc>"
                   "</Orvanta_Canals>"),
              0);
    const std::string group = basePath + cp("/FBD/Вход Выход/");
    bool inCache = false;
    bool outCache = false;
    for (uint16_t i = 0; i < cache->Structs.Count; ++i) {
        TStruct* d = nullptr;
        cache->Structs.CopyItem(i, &d);
        inCache = inCache || d->GetPath() == group + "Orvan_In";
        outCache = outCache || d->GetPath() == group + "Orvan_Out";
    }
    EXPECT_TRUE(inCache);
    EXPECT_TRUE(outCache);
}

TEST_F(ChannelBase, FreeingChannelRecordsFreesTheirBuffers) {
    TMenObj& list = State().channels;
    ASSERT_EQ(list.ItemSize, 126 + sizeof(void*));
    for (int i = 0; i < 3; ++i) {
        uint8_t item[126 + sizeof(void*)] = {};
        void* buffer = std::malloc(32);
        std::memcpy(item + 126, &buffer, sizeof buffer);
        list.AddItem(item);
    }
    EXPECT_EQ(FreeChannelRecords(&list), 0);  // the sanitizer reports a buffer left behind
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(FreeChannelRecords(nullptr), -1);
    TMenObj wrong;
    wrong.SetItemSize(130 + 8 + 1);
    EXPECT_EQ(FreeChannelRecords(&wrong), -2);
}

TEST_F(ChannelBase, ChannelListIsWrittenToTheStream) {
    EXPECT_EQ(WriteChannelList(nullptr), -1);
    MemoryStream empty;
    EXPECT_EQ(WriteChannelList(&empty.stream), -2);
    EXPECT_TRUE(empty.bytes.empty());

    channelProject();
    MemoryStream out;
    ASSERT_EQ(WriteChannelList(&out.stream), 0);
    const std::string expected = le32(2) + le32(6) + cp("Лист 1") + le32(2) +  //
                                 le32(5) + cp("Насос") + le32(0) + le32(12) +  //
                                 le32(0) + le32(0) + le32(-3) +                 //
                                 le32(6) + cp("Лист 3") + le32(1) +             //
                                 le32(7) + cp("Вентиль") + le32(0) + le32(0);
    EXPECT_EQ(out.bytes, expected);

    // A stream that fails part way.
    for (size_t limit : {size_t(0), size_t(3), size_t(20), expected.size() - 1}) {
        MemoryStream failing;
        failing.limit = limit;
        EXPECT_EQ(WriteChannelList(&failing.stream), -100) << limit;
    }
}

TEST_F(ChannelBase, LongChannelTextsAreWrittenWhole) {
    // A channel block whose name field holds more than a hundred characters.
    writeBytes(file("Struct/Long.xml"),
               "<FBD><BLOCK NAME=\"Orvan_Out\"><IN NAME=\"In\" TYPE=\"Int\"/><VAR NAME=\"IM\" TYPE=\"String200\"/>"
               "</BLOCK></FBD>");
    newProject("Demo");
    const uint16_t s = addSheet("S");
    const std::string text(180, 'x');
    setData(block(s, addBlock(s, file("Struct/Long.xml") + "/FBD/Orvan_Out", "Long", 1, 1)), "IM", text);
    MemoryStream out;
    ASSERT_EQ(WriteChannelList(&out.stream), 0);
    EXPECT_EQ(out.bytes, le32(1) + le32(1) + "S" + le32(1) + le32(180) + text + le32(0) + le32(0));
}

}  // namespace
