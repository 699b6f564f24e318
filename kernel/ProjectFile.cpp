#include "kernel/ProjectFile.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/SheetRecord.h"
#include "kernel/ChannelBase.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace zo::kernel {

const std::string& ProjectDescriptionName() { return ZO_RU("Проект"); }
const std::string& SheetDescriptionName() { return ZO_RU("Схема"); }
const std::string& BlockDescriptionName() { return ZO_RU("Блок"); }
const std::string& LinkDescriptionName() { return ZO_RU("Соединение"); }
const std::string& StoredLinkDescriptionName() { return ZO_RU("Соединение_сохран"); }
const std::string& DisplayDescriptionName() { return ZO_RU("Отобр."); }

std::string StructDescriptionPath(const std::string& name) {
    return State().structFolder + "\\Struct.xml/STRUCT/" + name;
}

TStruct* StructDescription(const std::string& name) {
    return State().structCache->GetStruct(StructDescriptionPath(name).c_str());
}

int32_t CheckStructure(TArhivStruc* cache, const char* path, int32_t size) {
    if (!cache) return -1;
    const std::string text = path ? path : "";
    TStruct* description = cache->GetStruct(text.c_str());
    if (!description) {
        Log(ZO_RU("Структура  ") + Q + text + Q + ZO_RU(" не найдена"), kLogError);
        return -2;
    }
    if (description->GetSize() != size) {
        Log(ZO_RU("Не соответствие размера структуры ") + Q + text + Q, kLogError);
        return -3;
    }
    return 0;
}

int CheckProjectDescriptions() {
    struct Check {
        const std::string& name;
        int32_t size;
    };
    // The stored connection record is read into and written from a
    // 15-byte record as well, so its size is checked with the others.
    const Check checks[] = {
        {ProjectDescriptionName(), int32_t(sizeof(TProjectRecord))},
        {SheetDescriptionName(), kSheetStoredSize},
        {BlockDescriptionName(), kBlockStoredSize},
        {LinkDescriptionName(), int32_t(sizeof(TConnectionRecord))},
        {StoredLinkDescriptionName(), int32_t(sizeof(TConnectionRecord))},
    };
    for (const Check& c : checks) {
        const int r = CheckStructure(State().structCache, StructDescriptionPath(c.name).c_str(), c.size);
        if (r != 0) return r;
    }
    return 0;
}

std::string PathRelativeToProgram(const std::string& path, const std::string& programFolder) {
    std::string folder = programFolder;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    // Below the folder only when the folder is followed by a separator:
    // "...\Conf2\x.xml" does not lie below "...\Conf".
    if (folder.empty() || path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return path;
    const char separator = path[folder.size()];
    if (separator != '\\' && separator != '/') return path;

    // The file part's folders are joined with "\" so the stored path reads the
    // same on every system; the element part after the file stays as it is.
    const platform::FileAndRest parts = platform::splitFileAndElements(path);
    const bool fileKnown = parts.file.size() > folder.size() && parts.file.compare(0, folder.size(), folder) == 0 &&
                           platform::fileExists(parts.file);
    std::string file = fileKnown ? parts.file.substr(folder.size()) : path.substr(folder.size());
    if (fileKnown) std::replace(file.begin(), file.end(), '/', '\\');
    file[0] = '\\';
    return fileKnown && !parts.rest.empty() ? file + "/" + parts.rest : file;
}

namespace {

void copyText(char* destination, size_t size, const std::string& text) {
    std::memset(destination, 0, size);
    std::strncpy(destination, text.c_str(), size - 1);
}

}  // namespace

TProjectRecord ProjectRecordFromState() {
    const KernelState& s = State();
    TProjectRecord r{};
    std::memcpy(r.Name, s.projectName, sizeof r.Name);
    std::memcpy(r.DeviceFile, s.deviceFileName, sizeof r.DeviceFile);
    std::memcpy(r.Program, s.deviceProgram, sizeof r.Program);
    r.Name[sizeof r.Name - 1] = r.DeviceFile[sizeof r.DeviceFile - 1] = r.Program[sizeof r.Program - 1] = 0;
    r.ConfigFileType = s.configFileType;
    return r;
}

void ProjectRecordToState(const TProjectRecord& record) {
    KernelState& s = State();
    TProjectRecord r = record;
    r.Name[sizeof r.Name - 1] = r.DeviceFile[sizeof r.DeviceFile - 1] = r.Program[sizeof r.Program - 1] = 0;
    copyText(s.projectName, sizeof s.projectName, r.Name);
    copyText(s.deviceFileName, sizeof s.deviceFileName, r.DeviceFile);
    copyText(s.deviceProgram, sizeof s.deviceProgram, r.Program);
    s.configFileType = r.ConfigFileType;
}

namespace {

// The project file's name without folder and extension.
std::string projectNameOf(const std::string& path) {
    std::string name = platform::fileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

// The descriptions the writer uses, loaded once per save.
struct Writers {
    TStruct* sheet = nullptr;
    TStruct* block = nullptr;
    TStruct* link = nullptr;
    TStruct* display = nullptr;
};

// The file is written by the streaming writer (TZo_XMLWriter); the same steps
// build the document (TZo_XML) whose text it must equal.

// Adds a child under the current element and makes it current.
template <typename Xml>
bool addChild(Xml& xml, const std::string& name) { return xml.AddChild(name) == 0; }

// A record written as attributes of a new child element; back at the parent after.
template <typename Xml>
bool writeChild(Xml& xml, const std::string& name, const TStruct* description, const void* record) {
    if (!addChild(xml, name)) return false;
    if (description && record) description->WriteValuesToElement(record, &xml);
    return xml.GoParent() == 0;
}

// A display parameter equal to its default is left out of "Парам.", but an
// opened block takes its parameters from its element in the library file
// before "Парам.": a value that differs from the library's is written even
// when it is the default, or the block would come back with the library's.
template <typename Xml>
void writeLibraryOverrides(Xml& xml, const TStruct& display, const void* data, const std::string& descriptionPath) {
    const int size = display.GetSize();
    if (!data || size <= 0) return;
    // Stored paths are relative to the program folder (opening a project enters it).
    const std::string path =
        !descriptionPath.empty() && descriptionPath[0] == '\\' ? State().programFolder + descriptionPath : descriptionPath;
    std::vector<uint8_t> library(size_t(size), 0);
    display.SetDefaults(library.data());
    if (display.ReadValuesFromFile(library.data(), path.c_str()) != 0) return;
    for (int i = 0; i < display.GetItemCount(); ++i) {
        const std::string value = display.GetValue(data, i);
        if (value == display.GetItemDefault(i) && !value.empty() && value != display.GetValue(library.data(), i))
            xml.SetAttribute(display.GetItemName(i), value);
    }
}

template <typename Xml>
bool writeBlock(Xml& xml, const Writers& w, TBlockRecord& block) {
    const std::string relative = PathRelativeToProgram(block.DescriptionPath, State().programFolder);
    copyText(block.DescriptionPath, sizeof block.DescriptionPath, relative);
    if (!addChild(xml, BlockDescriptionName())) return false;
    w.block->WriteValuesToElement(&block, &xml);

    const TStructInstance display = block.Display;
    const TStruct* displayDescription = display.Struct ? static_cast<const TStruct*>(display.Struct) : w.display;
    if (!addChild(xml, ZO_RU("Парам."))) return false;
    if (displayDescription && display.Data) {
        displayDescription->WriteValuesToElement(display.Data, &xml);
        writeLibraryOverrides(xml, *displayDescription, display.Data, block.DescriptionPath);
    }
    if (xml.GoParent() != 0) return false;

    // The block's own description lays out its data; the cache is asked only
    // for a block that has none.
    const TStructInstance data = block.Block;
    const TStruct* dataDescription =
        data.Struct ? static_cast<const TStruct*>(data.Struct) : State().structCache->GetStruct(block.DescriptionPath);
    if (!writeChild(xml, ZO_RU("Данные"), dataDescription, data.Data)) return false;
    return xml.GoParent() == 0;
}

template <typename Xml>
bool writeSheet(Xml& xml, const Writers& w, TSheetRecord* sheet) {
    if (!addChild(xml, SheetDescriptionName())) return false;
    w.sheet->WriteValuesToElement(sheet, &xml);
    if (TMenObj* blocks = sheet->Blocks) {
        for (uint16_t i = 0; i < blocks->Count; ++i)
            if (!writeBlock(xml, w, *static_cast<TBlockRecord*>(blocks->GetItem(i)))) return false;
    }
    if (TMenObj* links = sheet->Links) {
        for (uint16_t i = 0; i < links->Count; ++i)
            if (!writeChild(xml, LinkDescriptionName(), w.link, links->GetItem(i))) return false;
    }
    return xml.GoParent() == 0;
}

void storeWindowStates() {
    TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        // 0: the sheet's window exists and wrote its placement back.
        auto* sheet = static_cast<TSheetRecord*>(sheets.GetItem(i));
        auto store = Options().StoreSchemeWindowState;
        sheet->WindowOpen = store && store(sheet->Name) == 0 ? 1 : 0;
    }
}

// The document's start: the root becomes the current element.
int newDocument(TZo_XML& xml) {
    if (xml.NewDocument("Orvanta_config") != 0) return -1;
    xml.GoRoot();
    return 0;
}
int newDocument(TZo_XMLWriter& xml) { return xml.NewDocument("Orvanta_config"); }

// The streaming writer puts the text into the file's temporary file as it
// goes (a failure there shows when the file is saved).
void writeInto(TZo_XML&, const std::string&) {}
void writeInto(TZo_XMLWriter& xml, const std::string& path) { xml.WriteInto(path); }

// What a save makes of the file it writes.
enum class SaveKind {
    Project,  // the project's file from now on, recorded in the channel base
    Copy,     // a copy: the project's file, name and the channel base stay as they are
};

template <typename Xml>
int saveProject(const std::string& path, SaveKind kind = SaveKind::Project) {
    KernelState& s = State();
    const bool own = kind == SaveKind::Project;
    // Every block's display parameters are compared with its library element:
    // each library file is parsed once for the whole project.
    const TValueFileScope libraryFiles;
    if (CheckProjectDescriptions() != 0) return kSaveDescriptionCheck;
    if (own) copyText(s.projectPath, sizeof s.projectPath, path);
    storeWindowStates();

    Xml xml;
    if (newDocument(xml) != 0) return kSaveNoDescription;
    writeInto(xml, path);
    if (own) copyText(s.projectName, sizeof s.projectName, projectNameOf(path));

    TStruct* project = StructDescription(ProjectDescriptionName());
    if (!project) return kSaveNoDescription;
    const TProjectRecord record = ProjectRecordFromState();
    if (!writeChild(xml, ProjectDescriptionName(), project, &record)) return kSaveNoDescription;

    TStruct* header = HeaderDescription();
    if (!header || !s.headerRecord) return kSaveNoDescription;
    if (!writeChild(xml, ZO_RU("Заголовок"), header, s.headerRecord)) return kSaveNoDescription;

    Writers w;
    w.sheet = StructDescription(SheetDescriptionName());
    w.block = StructDescription(BlockDescriptionName());
    w.link = StructDescription(StoredLinkDescriptionName());
    w.display = StructDescription(DisplayDescriptionName());
    if (!w.sheet || !w.block || !w.link) return kSaveNoDescription;
    for (uint16_t i = 0; i < s.sheets.Count; ++i)
        if (!writeSheet(xml, w, static_cast<TSheetRecord*>(s.sheets.GetItem(i)))) return kSaveNoDescription;

    if (xml.SaveFile(path) != 0) {
        Log(ZO_RU("Ошибка записи файла проекта ") + Q + path + Q, kLogError);
        return kSaveNotWritten;
    }
    if (!own) return kProjectSaved;
    if (s.configFileType == 1) UpdateChannelBase(path);
    Log(ZO_RU("Проект ") + Q + path + Q + ZO_RU(" сохранен."), kLogInformation);
    return kProjectSaved;
}

}  // namespace

int32_t SaveProjectThroughDocument(const char* path) { return saveProject<TZo_XML>(path ? path : ""); }

int32_t SaveProjectCopyTo(const char* path) {
    return saveProject<TZo_XMLWriter>(path ? path : "", SaveKind::Copy);
}

}  // namespace zo::kernel

extern "C" int32_t SaveProject(const char* path) { return zo::kernel::saveProject<zo::TZo_XMLWriter>(path ? path : ""); }
