#include "kernel/ProjectOpen.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/SheetRecord.h"
#include "kernel/BlockPrepare.h"
#include "kernel/ChannelBase.h"
#include "kernel/Clipboard.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/DebugMode.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/PictureDeferral.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

namespace zo::kernel {

namespace {

const char* const kRoot = "Orvanta_config";

void copyText(char* destination, size_t size, const std::string& text) {
    std::memset(destination, 0, size);
    std::strncpy(destination, text.c_str(), size - 1);
}

// Relative block description paths ("\Struct\...") resolve against it.
void enterProgramFolder() {
    std::error_code ignored;
    std::filesystem::current_path(platform::nativePath(State().programFolder), ignored);
}

// The descriptions the reader uses.
struct Readers {
    TStruct* sheet = nullptr;
    TStruct* block = nullptr;
    TStruct* link = nullptr;
    TStruct* display = nullptr;
};

// Visits the children of the current element in document order (the walk
// ends at the first node that is not an element), back at the element after.
// A visit answering non-zero ends the walk with that code.
template <typename Visit>
int forEachChild(TZo_XML& xml, Visit visit) {
    if (xml.GoFirstChild() != 0) return 0;
    int r = 0;
    do {
        r = visit(xml.GetNodeName());
        if (r != 0) break;
    } while (xml.GoNextSibling() == 0);
    xml.GoParent();
    return r;
}

// The block's display parameters: defaults, then its library element, then
// (for a "Парам." child) what the project stored.
int readBlockChildren(TZo_XML& xml, TBlockRecord& block) {
    const auto* data = static_cast<const TStruct*>(block.Block.Struct);
    const auto* display = static_cast<const TStruct*>(block.Display.Struct);
    return forEachChild(xml, [&](const std::string& name) {
        if (name == ZO_RU("Данные")) return data->ReadValuesFromElement(block.Block.Data, &xml) == 0 ? 0 : -7;
        if (name == ZO_RU("Парам.")) {
            display->UpdateValuesFromFile(block.Display.Data, block.DescriptionPath);
            return display->UpdateValuesFromElement(block.Display.Data, &xml) == 0 ? 0 : -7;
        }
        return 0;
    });
}

// The picture drawn with the display parameters the block was prepared with.
void drawPreparedPicture(TBlockRecord& block, const std::string& prepared) {
    std::string now(static_cast<const char*>(block.Display.Data), prepared.size());
    std::memcpy(block.Display.Data, prepared.data(), prepared.size());
    DrawPendingPicture(&block);
    std::memcpy(block.Display.Data, now.data(), now.size());
}

// 0 appended or dropped at the user's word; -6 / -7 as OpenProject answers.
int readBlock(TZo_XML& xml, const Readers& r, TMenObj& blocks) {
    TBlockRecord block{};
    if (r.block->ReadValuesFromElement(&block, &xml) != 0) return kProjectBlockUnreadable;
    block.DescriptionPath[sizeof block.DescriptionPath - 1] = 0;
    if (!State().structCache->GetStruct(block.DescriptionPath)) {
        const std::string text = ZO_RU("Невозможно загрузить описание FBD блока:") + "\n\r" + block.DescriptionPath;
        const platform::Answer answer = platform::ask(text, {}, platform::Buttons::AbortIgnore);
        return answer == platform::Answer::Ignore ? 0 : -7;
    }
    block.Display.Struct = r.display;
    if (PrepareBlock(&block) != 0) {
        ReleaseBlock(&block);
        return kProjectBlockRefused;
    }
    const auto* data = static_cast<const TStruct*>(block.Block.Struct);
    data->SetDefaults(block.Block.Data);
    r.display->SetDefaults(block.Display.Data);
    r.display->ReadValuesFromFile(block.Display.Data, block.DescriptionPath);
    // What the picture was prepared with: a block whose picture is still to
    // be drawn and whose redraw is refused keeps the picture of these.
    const std::string prepared(static_cast<const char*>(block.Display.Data), size_t(static_cast<const TStruct*>(block.Display.Struct)->GetSize()));
    int result = readBlockChildren(xml, block);
    if (result == 0) {
        if (RedrawBlockPicture(&block) != 0 && !block.Picture) drawPreparedPicture(block, prepared);
        if (!blocks.AddItem(&block)) result = -7;
        else if (!block.Picture) AddPendingPictures(&blocks);
    }
    if (result != 0) ReleaseBlock(&block);
    return result;
}

int readLink(TZo_XML& xml, const Readers& r, TMenObj& links) {
    TConnectionRecord link{};
    if (r.link->ReadValuesFromElement(&link, &xml) != 0) return kProjectBlockRefused;
    return links.AddItem(&link) ? 0 : -7;
}

// Appends the sheet at once, then fills its lists from the element's children.
int readSheet(TZo_XML& xml, const Readers& r) {
    TSheetRecord sheet{};
    if (r.sheet->ReadValuesFromElement(&sheet, &xml) != 0) return kProjectSheetUnreadable;
    sheet.Name[sizeof sheet.Name - 1] = 0;
    sheet.Picture = nullptr;
    sheet.Extra = nullptr;
    sheet.Blocks = new TMenObj;
    sheet.Blocks->SetItemSize(kBlockItemSize);
    sheet.Links = new TMenObj;
    sheet.Links->SetItemSize(kConnectionItemSize);
    TMenObj& blocks = *sheet.Blocks;
    TMenObj& links = *sheet.Links;
    if (!State().sheets.AddItem(&sheet)) {
        FreeSheetContents(sheet);
        return kProjectSheetUnreadable;
    }
    return forEachChild(xml, [&](const std::string& name) {
        if (name == BlockDescriptionName()) return readBlock(xml, r, blocks);
        if (name == LinkDescriptionName()) return readLink(xml, r, links);
        return 0;
    });
}

// The project and device header records: 0, -3 or -4.
int readHeaders(TZo_XML& xml, const std::string& path) {
    KernelState& s = State();
    if (xml.GoToPath(std::string(kRoot) + "/" + ProjectDescriptionName()) != 0) {
        Log(ZO_RU("Секция  ") + Q + path + "/" + kRoot + "/" + ProjectDescriptionName() + Q + ZO_RU(" не найдена"),
            kLogError);
        return kProjectRecordMissing;
    }
    TProjectRecord project{};
    StructDescription(ProjectDescriptionName())->ReadValuesFromElement(&project, &xml);
    ProjectRecordToState(project);
    // The header record belongs to the device just named: one left from the
    // project before would be read and written through the new device's
    // description, whatever its size.
    std::free(s.headerRecord);
    s.headerRecord = nullptr;
    if (!IsDeviceFileName(s.deviceFileName)) {
        LogRefusedDeviceFile(s.deviceFileName);
        s.deviceFileName[0] = 0;
        return kProjectHeaderMissing;
    }

    TStruct* header = HeaderDescription();
    const int size = header ? header->GetSize() : -1;
    if (size <= 0) return kProjectHeaderMissing;
    s.headerRecord = std::calloc(1, size_t(size));
    if (!s.headerRecord) return kProjectHeaderMissing;
    if (xml.GoToPath(std::string(kRoot) + "/" + ZO_RU("Заголовок")) != 0) return kProjectHeaderMissing;
    return header->ReadValuesFromElement(s.headerRecord, &xml) == 0 ? 0 : -4;
}

void checkChannelBase() {
    KernelState& s = State();
    const std::string canals = s.structFolder + "\\Canals.xml";
    // A fresh installation has no base yet: nothing to check.
    if (!platform::fileExists(canals)) return;
    const int r = LoadChannelBase(&s.channels, s.structCache, canals.c_str(), (s.structFolder + "\\Base.xml").c_str());
    if (r != 0) Log(ZO_RU("Ошибка загрузки базы каналов  ") + Q + canals + Q + ZO_RU("  код: ") + std::to_string(r), kLogError);
}

void openSavedWindows() {
    TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        char name[sizeof TSheetRecord::Name];
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        if (sheet->WindowOpen == 0) continue;
        std::memcpy(name, sheet->Name, sizeof name);
        OpenSheetWindow(name);
    }
}

int openProject(const std::string& path) {
    KernelState& s = State();
    enterProgramFolder();
    // Every block reads its display parameters from its library file: each
    // file is parsed once for the whole project.
    const TValueFileScope libraryFiles;
    // Blocks of one kind are drawn once; their pictures when they are painted.
    const TPictureDeferral pictures;
    Readers r;
    if (CheckProjectDescriptions() != 0) return kProjectFileUnreadable;
    r.sheet = StructDescription(SheetDescriptionName());
    r.block = StructDescription(BlockDescriptionName());
    r.link = StructDescription(StoredLinkDescriptionName());
    r.display = StructDescription(DisplayDescriptionName());
    if (!r.display) return kProjectFileUnreadable;

    copyText(s.projectPath, sizeof s.projectPath, path);
    Log(ZO_RU("Открытие проекта: ") + path, kLogInformation);
    TZo_XML xml;
    if (xml.OpenFile(path) != 0) {
        Log(ZO_RU("Ошибка в файле: ") + path, kLogError);
        return kProjectFileUnreadable;
    }
    xml.GoRoot();
    xml.SetMark();
    const int roots = xml.CountFromMark(kRoot);
    if (roots != 1) {
        Log(ZO_RU("Число элементов <Orvanta_config> - ") + std::to_string(roots), kLogError);
        return kProjectRootNotOne;
    }
    if (const int h = readHeaders(xml, path); h != 0) return h;

    xml.GoRoot();
    const int sheets = forEachChild(xml, [&](const std::string& name) {
        return name == SheetDescriptionName() ? readSheet(xml, r) : 0;
    });
    if (sheets != 0) return sheets;

    checkChannelBase();
    IndexConnections();
    openSavedWindows();
    RefreshProjectTree();
    return kProjectOpened;
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t OpenProject(const char* path) { return openProject(path ? path : ""); }

namespace zo::kernel {
namespace {

void closeProject(const char* path) {
    KernelState& s = State();
    Log(ZO_RU("Закрытие проекта ") + Q + (path ? path : "") + Q, kLogInformation);
    StopDebugging();
    if (auto replace = Options().Inspector.ReplaceElementProperties) replace(nullptr, 0, nullptr, nullptr);
    if (auto closeAll = Options().CloseAllSchemeWindows) closeAll();
    for (uint16_t i = 0; i < s.sheets.Count; ++i) FreeSheetContents(*static_cast<TSheetRecord*>(s.sheets.GetItem(i)));
    s.sheets.Clear();
    FreeChannelRecords(&s.channels);
    s.libraryFiles.Clear();
    ClearClipboard();
    std::free(s.headerRecord);
    s.headerRecord = nullptr;
    std::memset(s.projectName, 0, sizeof s.projectName);
    std::memset(s.deviceFileName, 0, sizeof s.deviceFileName);
    std::memset(s.deviceProgram, 0, sizeof s.deviceProgram);
    std::memset(s.projectPath, 0, sizeof s.projectPath);
    s.configFileType = 1;
    RefreshProjectTree();
}

}  // namespace
}  // namespace zo::kernel

// A close that fails goes as far as it got (the barrier answers 0 still); the
// model is emptied by the next close.
extern "C" int32_t CloseProject(const char* path) {
    closeProject(path);
    return kProjectClosed;
}
