#include "kernel/ChannelBase.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/SheetRecord.h"
#include "common/abi/Stream.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <libxml/tree.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

namespace zo::kernel {

namespace {

const char* const kBaseRoot = "Orvanta_Canals";

std::string canalsPath() { return State().structFolder + "\\Canals.xml"; }

// A character may stand in an element name after the leading "_".
bool nameCharacter(char c) {
    const std::string probe = "_" + platform::cp1251ToUtf8(std::string(1, c));
    return xmlValidateNCName(reinterpret_cast<const xmlChar*>(probe.c_str()), 0) == 0;
}

const TStruct* descriptionOf(const TBlockRecord& block) { return static_cast<const TStruct*>(block.Block.Struct); }

bool isChannelBlock(const TBlockRecord& block) {
    const TStruct* d = descriptionOf(block);
    return d && IsNetworkChannelName(d->Name);
}

// The network channel blocks of a sheet, in block order.
std::vector<const TBlockRecord*> channelBlocks(const TSheetRecord& sheet) {
    std::vector<const TBlockRecord*> out;
    if (TMenObj* blocks = sheet.Blocks)
        for (uint16_t i = 0; i < blocks->Count; ++i) {
            const auto* block = static_cast<const TBlockRecord*>(blocks->GetItem(i));
            if (isChannelBlock(*block)) out.push_back(block);
        }
    return out;
}

// Visits the children of the current element in order (the walk ends at the
// first node that is not an element) and comes back to the element.
void forEachChild(TZo_XML& xml, const std::function<bool()>& visit, bool& ok) {
    if (xml.GoFirstChild() != 0) return;
    do {
        if (!visit()) {
            ok = false;
            return;
        }
    } while (xml.GoNextSibling() == 0);
    xml.GoParent();
}

void writeLists(TZo_XML& xml) {
    const TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        const std::vector<const TBlockRecord*> blocks = channelBlocks(*sheet);
        if (blocks.empty()) continue;
        xml.GoMark();
        if (xml.AddChild("List") != 0) continue;
        xml.SetAttribute("Name", sheet->Name);
        for (const TBlockRecord* block : blocks) {
            const TStruct* d = descriptionOf(*block);
            if (xml.AddChild(d->Name) != 0) continue;
            d->WriteAllValuesToElement(block->Block.Data, &xml);
            xml.GoParent();
        }
    }
    xml.GoMark();
}

// Makes the project's element current and marked, emptied; false when the base
// is to stay as it is (the reason logged).
bool takeProjectElement(TZo_XML& xml, const std::string& path, const std::string& projectPath) {
    const std::string name = ChannelElementName(projectPath);
    xml.GoRoot();
    xml.SetMark();
    const int count = xml.CountFromMark(name);
    if (count == 0) {
        if (xml.AddChild(name) != 0) return false;
        xml.SetAttribute("File", projectPath);
        xml.SetMark();
        return true;
    }
    if (count > 1) {
        // Lists added under the root would pile up with every save.
        Log(ZO_RU("База каналов ") + Q + path + Q + ZO_RU(" не обновлена: узлов ") + Q + name + Q + " - " +
                std::to_string(count),
            kLogError);
        return false;
    }
    xml.FindFromMark(name);
    const std::string file = xml.GetAttribute("File");
    if (file != projectPath) {
        const std::string text = ZO_RU("Узел ") + Q + name + Q + ZO_RU(" создан из файла: ") + Q + file + Q + "\r\n" +
                                 ZO_RU("Пересохранить из файла ") + Q + projectPath + Q + "?";
        if (platform::ask(text, ZO_RU("Пересохранить узел?"), platform::Buttons::YesNo) != platform::Answer::Yes) {
            Log(ZO_RU("База каналов ") + Q + path + Q + ZO_RU(" не обновлена."), kLogWarning);
            return false;
        }
        xml.SetAttribute("File", projectPath);
        Log(ZO_RU("Узел ") + Q + name + Q + ZO_RU(" пересохранен."), kLogWarning);
    }
    xml.SetMark();
    xml.RemoveChildren();
    return true;
}

}  // namespace

namespace {
void updateChannelBase(const std::string& path, const std::string& projectPath);
}  // namespace

std::string ChannelElementName(const std::string& projectPath) {
    std::string name = "_";
    for (char c : platform::fileNameOf(projectPath)) name += nameCharacter(c) ? c : '_';
    return name;
}

bool IsNetworkChannelName(const std::string& descriptionName) {
    return descriptionName == "Orvan_In" || descriptionName == "Orvan_Out";
}

void UpdateChannelBase(const std::string& projectPath) {
    const std::string path = canalsPath();
    try {
        updateChannelBase(path, projectPath);
    } catch (...) {
        Log(ZO_RU("Ошибка базы каналов ") + Q + path + Q, kLogError);
    }
}

namespace {

void updateChannelBase(const std::string& path, const std::string& projectPath) {
    TZo_XML xml;
    if (platform::fileExists(path)) {
        if (xml.OpenFile(path) != 0) {
            Log(ZO_RU("Ошибка базы каналов ") + Q + path + Q, kLogError);
            return;
        }
    } else if (xml.NewDocument(kBaseRoot) == 0) {
        Log(ZO_RU("Создана база каналов ") + Q + path + Q, kLogMilestone);
    } else {
        Log(ZO_RU("Ошибка базы каналов ") + Q + path + Q, kLogError);
        return;
    }
    // A file of that name under another root is not a channel base: it is left as it is.
    xml.GoRoot();
    if (xml.GetNodeName() != kBaseRoot) {
        Log(ZO_RU("Ошибка базы каналов ") + Q + path + Q, kLogError);
        return;
    }
    if (!takeProjectElement(xml, path, projectPath)) return;
    writeLists(xml);
    // A base the save leaves as it was is not written again.
    if (xml.SaveFileWhenChanged(path) != 0) Log(ZO_RU("Ошибка базы каналов ") + Q + path + Q, kLogError);
}

}  // namespace

int LoadChannelBase(TMenObj* list, TArhivStruc* cache, const char* canals, const char* base) {
    if (!list || !cache) return -1;
    if (list->ItemSize != kChannelItemSize) return -2;
    if (FreeChannelRecords(list) != 0) return -3;
    const std::string path = canals ? canals : "";
    const std::string basePath = base ? base : "";
    TZo_XML xml;
    // A missing file is reported here, without the parse-error box.
    if (!platform::fileExists(path) || xml.OpenFile(path) != 0) {
        Log(ZO_RU("Ошибка в файле: ") + path, kLogError);
        return -4;
    }
    xml.GoRoot();
    xml.SetMark();
    const int roots = xml.CountFromMark(kBaseRoot);
    if (roots != 1) {
        Log(ZO_RU("Число элементов <Orvanta_Canals>= ") + std::to_string(roots), kLogError);
        return -5;
    }
    xml.FindFromMark(kBaseRoot);
    const std::string group = basePath + ZO_RU("/FBD/Вход Выход/");
    bool ok = true;
    forEachChild(
        xml,
        [&] {
            if (xml.GetNodeName().rfind('_', 0) != 0) return true;
            forEachChild(
                xml,
                [&] {
                    if (xml.GetNodeName() != "List" || xml.GetAttribute("Name").empty()) return true;
                    forEachChild(
                        xml, [&] { return cache->GetStruct((group + xml.GetNodeName()).c_str()) != nullptr; }, ok);
                    return ok;
                },
                ok);
            return ok;
        },
        ok);
    if (!ok) {
        FreeChannelRecords(list);
        return -6;
    }
    return 0;
}

int FreeChannelRecords(TMenObj* list) {
    if (!list) return -1;
    if (list->ItemSize != kChannelItemSize) return -2;
    for (uint16_t i = 0; i < list->Count; ++i) {
        void* buffer = nullptr;
        std::memcpy(&buffer, static_cast<const uint8_t*>(list->GetItem(i)) + kChannelItemSize - sizeof buffer,
                    sizeof buffer);
        std::free(buffer);
    }
    list->Clear();
    return 0;
}

namespace {

// Little-endian writes through the stream; false once the stream failed.
class StreamWriter {
public:
    explicit StreamWriter(TZoStream& stream) : stream_(stream) {}
    bool bytes(const void* data, size_t size) {
        if (size == 0) return true;
        return stream_.Write(&stream_, data, int32_t(size)) == int32_t(size);
    }
    bool integer(int32_t value) {
        const auto u = uint32_t(value);
        const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
        return bytes(b, sizeof b);
    }
    bool text(const std::string& value) { return integer(int32_t(value.size())) && bytes(value.data(), value.size()); }

private:
    TZoStream& stream_;
};

// The text of a field of the block's data; empty when it has no such field.
std::string fieldText(const TBlockRecord& block, const char* name) {
    const TStruct* d = descriptionOf(block);
    int16_t index = -1;
    if (!d || !d->FindItem(name, index)) return {};
    return d->GetValue(block.Block.Data, index);
}

bool writeBlock(StreamWriter& out, const TBlockRecord& block) {
    const std::string id = fieldText(block, "ID");
    char* end = nullptr;
    const long number = std::strtol(id.c_str(), &end, 10);
    const int32_t value = (end && *end == 0 && !id.empty()) ? int32_t(number) : 0;
    return out.text(fieldText(block, "IM")) && out.integer(0) && out.integer(value);
}

int writeChannelList(TZoStream* stream) {
    if (!stream || !stream->Write) return kChannelListNoStream;
    const TMenObj& sheets = State().sheets;
    std::vector<std::pair<const TSheetRecord*, std::vector<const TBlockRecord*>>> lists;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        std::vector<const TBlockRecord*> blocks = channelBlocks(*sheet);
        if (!blocks.empty()) lists.emplace_back(sheet, std::move(blocks));
    }
    if (lists.empty()) return kChannelListEmpty;
    StreamWriter out(*stream);
    if (!out.integer(int32_t(lists.size()))) return kChannelListStreamFailed;
    for (const auto& [sheet, blocks] : lists) {
        if (!out.text(sheet->Name) || !out.integer(int32_t(blocks.size()))) return kChannelListStreamFailed;
        for (const TBlockRecord* block : blocks)
            if (!writeBlock(out, *block)) return kChannelListStreamFailed;
    }
    return kChannelListWritten;
}

}  // namespace

}  // namespace zo::kernel

extern "C" int32_t WriteChannelList(TZoStream* stream) {
    return zo::kernel::writeChannelList(stream);
}
