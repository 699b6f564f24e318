#include "configurator/windows/ReplacementLists.h"

#include "common/ConvStr.h"
#include "common/FileUtils.h"
#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/HeldMessages.h"

namespace zo::configurator {

namespace {

const TReplacementList* findList(const TReplacementSet& set, const std::string& name) {
    for (const TReplacementList& list : set)
        if (list.Name == name) return &list;
    return nullptr;
}

}  // namespace

std::string TReplacementLists::DescriptionFile(const std::string& structPath) {
    return platform::splitFileAndElements(structPath).file;
}

const std::string& TReplacementLists::FileOf(const std::string& structPath) const {
    auto found = fileOfPath_.find(structPath);
    if (found == fileOfPath_.end()) found = fileOfPath_.emplace(structPath, DescriptionFile(structPath)).first;
    return found->second;
}

int TReplacementLists::LoadFile(TReplacementSet& set, const std::string& file) {
    if (platform::fileNameOf(file).rfind('~', 0) == 0 || !platform::fileExists(file)) return 0;
    TZo_XML xml;
    {
        // A malformed list file gives no lists and no message: the document
        // wrapper's parse-error box is held back while it is read.
        platform::HeldMessages held;
        if (xml.OpenFile(file) != 0) return 0;
    }
    xml.GoRoot();
    xml.SetMark();
    if (xml.CountFromMark("List") != 1 || xml.FindFromMark("List") != 0) return 0;
    if (xml.GoFirstChild() != 0) return 0;
    int lists = 0;
    do {
        if (!xml.CurrentElement || xml.CurrentElement->type != XML_ELEMENT_NODE) break;
        TReplacementList list;
        list.Name = xml.GetNodeName();
        if (xml.GoFirstChild() != 0) continue;
        do {
            if (xml.GetNodeName() != "Line") continue;
            const std::string val = xml.GetAttribute("Val");
            std::string shown = GetDelimField(val, '=', 1);
            std::string stored = GetDelimField(val, '=', 2);
            if (shown.empty() || stored.empty()) continue;
            list.Shown.push_back(std::move(shown));
            list.Stored.push_back(std::move(stored));
        } while (xml.GoNextSibling() == 0);
        xml.GoParent();
        set.push_back(std::move(list));
        ++lists;
    } while (xml.GoNextSibling() == 0);
    return lists;
}

int TReplacementLists::LoadReplacementLists(TReplacementSet& set, const std::string& source) {
    set.clear();
    std::vector<std::string> files;
    if (platform::hasExtension(platform::fileNameOf(source))) {
        files.push_back(source);
    } else {
        FindFiles(source, "*.lst", files, false);
        // FindFiles answers names below the folder as given, without its leading "\".
        if (!source.empty() && source.front() == '\\')
            for (std::string& f : files) f.insert(0, "\\");
    }
    for (const std::string& file : files) {
        if (LoadFile(set, file) > 0 && OnLog)
            OnLog(ZO_RU("Загружен список замен из файла ") + "\"" + file + "\"", 1);
    }
    return 0;
}

int TReplacementLists::ClearReplacementLists() {
    int withEntries = 0;
    for (const auto& [file, set] : FileLists)
        for (const TReplacementList& list : set)
            if (!list.Stored.empty()) ++withEntries;
    FileLists.clear();
    fileOfPath_.clear();
    if (withEntries > 0 && OnLog)
        OnLog(ZO_RU("Очищен список замен. (") + std::to_string(withEntries) + ZO_RU(" списков)"), 1);
    return 0;
}

int TReplacementLists::LookupReplacement(const TReplacementSet& set, const std::string& listName,
                                         const std::string& stored, std::string& shown) {
    if (listName.empty()) return kLookupNoListName;
    const TReplacementList* list = findList(set, listName);
    if (!list) return kLookupNoList;
    for (size_t i = 0; i < list->Stored.size(); ++i)
        if (list->Stored[i] == stored) {
            shown = list->Shown[i];
            return kLookupFound;
        }
    return kLookupNoText;
}

int TReplacementLists::LookupStored(const TReplacementSet& set, const std::string& listName, const std::string& shown,
                                    std::string& stored) {
    if (listName.empty()) return kLookupNoListName;
    const TReplacementList* list = findList(set, listName);
    if (!list) return kLookupNoList;
    for (size_t i = 0; i < list->Shown.size(); ++i)
        if (list->Shown[i] == shown) {
            stored = list->Stored[i];
            return kLookupFound;
        }
    return kLookupNoText;
}

std::string TReplacementLists::TranslateValue(const std::string& structPath, const std::string& stored,
                                              const std::string& listName) {
    std::string shown = stored;
    if (listName.empty() || stored.empty()) return shown;
    const std::string file = FileOf(structPath);
    auto cached = FileLists.find(file);
    if (cached == FileLists.end()) {
        cached = FileLists.emplace(file, TReplacementSet()).first;
        LoadReplacementLists(cached->second, file);
    }
    if (LookupReplacement(cached->second, listName, stored, shown) == kLookupFound) return shown;
    LookupReplacement(GlobalLists, listName, stored, shown);
    return shown;
}

std::string TReplacementLists::TranslateToStored(const std::string& structPath, const std::string& shown,
                                                 const std::string& listName) const {
    std::string stored = shown;
    const auto cached = FileLists.find(FileOf(structPath));
    if (cached != FileLists.end() && LookupStored(cached->second, listName, shown, stored) == kLookupFound)
        return stored;
    LookupStored(GlobalLists, listName, shown, stored);
    return stored;
}

int TReplacementLists::FillValueList(const std::string& structPath, const std::string& listName,
                                     std::vector<std::string>& items) const {
    items.clear();
    const auto cached = FileLists.find(FileOf(structPath));
    if (cached != FileLists.end())
        if (const TReplacementList* list = findList(cached->second, listName); list && !list->Shown.empty()) {
            items = list->Shown;
            return 0;
        }
    if (const TReplacementList* list = findList(GlobalLists, listName); list && !list->Shown.empty()) {
        items = list->Shown;
        return 0;
    }
    return -1;
}

}  // namespace zo::configurator
