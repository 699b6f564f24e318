#include "common/Struct.h"

#include "common/ConvStr.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace zo {

namespace {

constexpr uint8_t kErrorLevel = 5;

template <size_t N>
void setText(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    if (!text.empty()) std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

std::string quoted(std::string_view text) { return '"' + std::string(text) + '"'; }

bool isPin(const TStructItem& item) {
    return std::strcmp(item.Kind, "IN") == 0 || std::strcmp(item.Kind, "OUT") == 0;
}

// The element tokens of the rest of a path, split at "/"; an empty field ends them.
std::vector<std::string> elementTokens(std::string_view rest) {
    std::vector<std::string> tokens;
    for (int n = 1;; ++n) {
        std::string token = GetDelimField(rest, '/', n);
        if (token.empty()) break;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// The file part of a description or value path: the file the path names when
// it exists (the platform's split); for a file that is not there (yet), the
// shortest "/"-prefix that is not an existing folder. A native absolute path
// starts with "/", so "the text up to the first /" would name no file at all.
platform::FileAndRest splitPath(std::string_view path) {
    platform::FileAndRest parts = platform::splitFileAndElements(path);
    if (platform::fileExists(parts.file)) return parts;
    for (size_t pos = path.find('/'); pos != std::string_view::npos; pos = path.find('/', pos + 1)) {
        if (pos == 0) continue;
        if (!platform::dirExists(path.substr(0, pos)))
            return {std::string(path.substr(0, pos)), std::string(path.substr(pos + 1))};
    }
    return parts;
}

// A description or element path as [0] the file, then the element tokens.
std::vector<std::string> pathTokens(std::string_view path) {
    const platform::FileAndRest parts = splitPath(path);
    std::vector<std::string> tokens{parts.file};
    for (std::string& token : elementTokens(parts.rest)) tokens.push_back(std::move(token));
    return tokens;
}

std::string joinTokens(const std::vector<std::string>& tokens, size_t count) {
    std::string out;
    for (size_t i = 0; i < count && i < tokens.size(); ++i) {
        if (i) out += '/';
        out += tokens[i];
    }
    return out;
}

// The file part of a value path: a leading "\" is dropped (the name is then
// relative to the current folder, as it was with it).
std::string valueFile(std::string file) {
    if (!file.empty() && file.front() == '\\') file.erase(0, 1);
    return file;
}

// From the first child the caller went to: the first sibling element of that
// node name whose NAME equals name; it is then current.
bool findNamedChild(TZo_XML& xml, const char* nodeName, const std::string& name) {
    do {
        if (xml.GetNodeName() == nodeName && xml.GetAttribute("NAME") == name) return true;
    } while (xml.GoNextSibling() == 0);
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// TStruct: description

TStruct::TStruct() { Items.SetItemSize(sizeof(TStructItem)); }

TStruct::~TStruct() = default;

void TStruct::Log(const std::string& text, uint8_t level) const {
    if (OnLog) OnLog(text.c_str(), level);
}

bool TStruct::hasConversion() const {
    return ConvertOptions && ConvertOptions->TypeSize && ConvertOptions->TextToValue && ConvertOptions->ValueToText;
}

const char* TStruct::conversionType(const TStructItem& item) const { return isPin(item) ? "Word" : item.TypeName; }

int TStruct::Clear() {
    Items.Clear();
    offsets_.clear();
    pins_.clear();
    defaultsKnown_ = false;
    std::memset(Path, 0, sizeof Path);
    loadedPath_.clear();
    return 0;
}

void TStruct::clearHeader() {
    std::memset(Name, 0, sizeof Name);
    std::memset(Character, 0, sizeof Character);
    std::memset(Caption, 0, sizeof Caption);
}

void TStruct::clearAfterFailure() {
    Clear();
    clearHeader();
}

void TStruct::fillHeader(const TZo_XML& xml) {
    setText(Name, xml.GetAttribute("NAME"));
    setText(Caption, xml.GetAttribute("IM"));
    setText(Character, xml.GetAttribute("CHARACTER"));
}

int TStruct::AddItem(const TStructItem& item) {
    if (!hasConversion()) {
        Log(ZO_RU("Нет указателя функций преобразования типов ") + Name, kErrorLevel);
        return -1;
    }
    if (ConvertOptions->TypeSize(item.TypeName) < 1 && !isPin(item)) {
        Log(ZO_RU("Неизвестный тип ") + item.TypeName + ZO_RU(" структуры ") + Name, kErrorLevel);
        return -2;
    }
    offsets_.clear();
    pins_.clear();
    defaultsKnown_ = false;
    return Items.AddItem(&item) ? 0 : -2;
}

// The fields from the current element (the first child of a BLOCK) on; the
// walk ends at the last sibling or at the first node that is not an element.
int TStruct::readItems(TZo_XML& xml, int emptyFieldCode, int addFailedCode) {
    // A comment before the first field (the first child may be any node) is passed over.
    while (xml.CurrentElement && xml.CurrentElement->type != XML_ELEMENT_NODE && xml.CurrentElement->next)
        xml.CurrentElement = xml.CurrentElement->next;
    do {
        TStructItem item{};
        setText(item.Kind, xml.GetNodeName());
        setText(item.Name, xml.GetAttribute("NAME"));
        setText(item.TypeName, xml.GetAttribute("TYPE"));
        setText(item.Default, xml.GetAttribute("DEFAULT"));
        setText(item.Caption, xml.GetAttribute("IM"));
        setText(item.ValueList, xml.GetAttribute("LIST"));
        if (!item.Name[0] || !item.TypeName[0] || !item.Kind[0]) {
            clearAfterFailure();
            return emptyFieldCode;
        }
        if (AddItem(item) != 0) {
            clearAfterFailure();
            return addFailedCode;
        }
    } while (xml.GoNextSibling() == 0);
    return 0;
}

int TStruct::LoadStructDescription(const char* pathText) {
    const std::string path = pathText ? pathText : "";
    Clear();
    const std::vector<std::string> tokens = pathTokens(path);
    if (tokens.size() < 3 || tokens[0].empty()) {
        Log(ZO_RU("Не возможно загрузить описание структуры: ") + quoted(path), kErrorLevel);
        return -1;
    }
    const std::string& file = tokens[0];
    TZo_XML xml;
    xml.CreateDom();
    if (xml.OpenFile(file) != 0) return -2;

    xml.GoRoot();
    xml.SetMark();
    const int count = xml.CountFromMark(tokens[1]);
    if (count != 1) {
        Log(ZO_RU("Число узлов ") + tokens[1] + ZO_RU(" в файле ") + file + " =" + std::to_string(count), kErrorLevel);
        return -3;
    }
    xml.FindFromMark(tokens[1]);
    xml.SetMark();

    int result = -3;
    size_t k = 2;
    for (; k + 1 < tokens.size(); ++k) {
        if (xml.GoFirstChild() != 0) return result;
        result = -4;
        if (!findNamedChild(xml, "GROUP", tokens[k])) {
            Log(ZO_RU("Группа ") + quoted(tokens[k]) + ZO_RU(" в файле ") + quoted(file) + ZO_RU(" не найдена"),
                kErrorLevel);
            return -4;
        }
    }
    if (xml.GoFirstChild() != 0) return result;
    if (!findNamedChild(xml, "BLOCK", tokens[k])) {
        Log(ZO_RU("Структура ") + quoted(tokens[k]) + ZO_RU(" в файле ") + quoted(file) + ZO_RU(" не найдена"),
            kErrorLevel);
        return -5;
    }
    fillHeader(xml);
    if (xml.GoFirstChild() != 0) {
        Log(ZO_RU("Нет описания структуры ") + quoted(tokens[k]) + ZO_RU(" в файле ") + quoted(file), kErrorLevel);
        clearHeader();
        return -6;
    }
    const int items = readItems(xml, -8, -7);
    if (items != 0) return items;
    setText(Path, path);
    loadedPath_ = path;
    return 0;
}

// One level of an element path: the current element and its following siblings.
int TStruct::stepByElementPath(TZo_XML& xml, const std::string& path, const std::string& file,
                               const std::vector<std::string>& tokens, size_t d) {
    if (tokens[d].empty()) return -3;
    const bool last = d + 1 >= tokens.size();
    do {
        const std::string node = xml.GetNodeName();
        if (!last) {
            if (node == tokens[d]) {
                if (xml.GoFirstChild() != 0) return -8;
                const int result = stepByElementPath(xml, path, file, tokens, d + 1);
                xml.GoParent();
                return result;
            }
        } else if (node == "BLOCK" && xml.GetAttribute("NAME") == tokens[d]) {
            fillHeader(xml);
            if (xml.GoFirstChild() != 0) {
                Log(ZO_RU("Нет описания  ") + quoted(path), kErrorLevel);
                clearHeader();
                return -4;
            }
            const int result = readItems(xml, -6, -5);
            xml.GoParent();
            return result;
        }
    } while (xml.GoNextSibling() == 0);
    // Nothing of that name at this level: the block is not there.
    Log(ZO_RU("Структура ") + quoted(tokens.back()) + ZO_RU(" в файле ") + quoted(file) + ZO_RU(" не найдена"),
        kErrorLevel);
    return -7;
}

int TStruct::LoadDescriptionByElementPath(const char* pathText) {
    const std::string path = pathText ? pathText : "";
    Clear();
    const std::vector<std::string> tokens = pathTokens(path);
    if (tokens.size() < 2 || tokens[0].empty()) {
        Log(ZO_RU("Не возможно загрузить описание структуры: ") + quoted(path), kErrorLevel);
        return -1;
    }
    TZo_XML xml;
    xml.CreateDom();
    if (xml.OpenFile(tokens[0]) != 0) return -2;
    xml.GoRoot();
    xml.SetMark();
    if (stepByElementPath(xml, path, tokens[0], tokens, 1) != 0) {
        clearAfterFailure();
        return -3;
    }
    return 0;
}

int TStruct::FindItem(const char* name, int16_t& index) const {
    index = -1;
    if (!name) return 0;
    for (int i = 0; i < Items.Count; ++i) {
        if (std::strcmp(GetItem(i)->Name, name) == 0) {
            index = int16_t(i);
            return 1;
        }
    }
    return 0;
}

const TStructItem* TStruct::GetItem(int index) const {
    if (index < 0 || index >= Items.Count) return nullptr;
    return static_cast<const TStructItem*>(Items.GetItem(uint16_t(index)));
}

std::string TStruct::GetItemName(int index) const {
    const TStructItem* item = GetItem(index);
    return item ? item->Name : "";
}
std::string TStruct::GetItemType(int index) const {
    const TStructItem* item = GetItem(index);
    return item ? item->TypeName : "";
}
std::string TStruct::GetItemDefault(int index) const {
    const TStructItem* item = GetItem(index);
    return item ? item->Default : "";
}
std::string TStruct::GetItemCaption(int index) const {
    const TStructItem* item = GetItem(index);
    return item ? item->Caption : "";
}
std::string TStruct::GetItemList(int index) const {
    const TStructItem* item = GetItem(index);
    return item ? item->ValueList : "";
}
std::string TStruct::GetItemKind(int index) const {
    const TStructItem* item = GetItem(index);
    return item ? item->Kind : "";
}

// ---------------------------------------------------------------------------
// TStruct: values

int TStruct::GetItemSize(int index) const {
    if (!hasConversion()) return -1;
    const TStructItem* item = GetItem(index);
    if (!item) return -1;
    if (isPin(*item)) return 2;
    return ConvertOptions->TypeSize(item->TypeName);
}

const std::vector<int>& TStruct::offsets() const {
    if (offsetsConvert_ == ConvertOptions && offsets_.size() == size_t(Items.Count) + 1) return offsets_;
    offsets_.assign(size_t(Items.Count) + 1, -1);
    pins_.assign(size_t(Items.Count), 0);
    offsetsConvert_ = ConvertOptions;
    defaultsKnown_ = false;
    int offset = 0;
    for (int i = 0; i < Items.Count; ++i) {
        pins_[size_t(i)] = isPin(*GetItem(i)) ? 1 : 0;
        offsets_[size_t(i)] = offset;
        const int itemSize = GetItemSize(i);
        if (itemSize <= 0) return offsets_;
        offset += itemSize;
    }
    offsets_.back() = offset;
    return offsets_;
}

int TStruct::GetSize() const {
    if (!hasConversion()) return -1;
    const int size = offsets().back();
    return size < 0 ? -1 : size;
}

void* TStruct::GetValuePtr(void* record, int index) const {
    if (!hasConversion() || !record || !GetItem(index)) return nullptr;
    const std::vector<int>& at = offsets();
    // The item's place is known only when every item before it has a size.
    if (at[size_t(index)] < 0) return nullptr;
    return static_cast<uint8_t*>(record) + at[size_t(index)];
}

std::string TStruct::GetValue(const void* record, int index) const {
    const void* place = GetValuePtr(const_cast<void*>(record), index);
    if (!place) return {};
    const char* text = nullptr;
    if (ConvertOptions->ValueToText(conversionType(*GetItem(index)), place, &text) != 0 || !text) return {};
    return text;
}

int TStruct::SetValue(void* record, int index, const char* text) const {
    if (!text) return -1;
    void* place = GetValuePtr(record, index);
    if (!place) return -1;
    // The item's size from the layout when the next item's place is known.
    const std::vector<int>& at = offsets();
    const int size = at[size_t(index) + 1] >= 0 ? at[size_t(index) + 1] - at[size_t(index)] : GetItemSize(index);
    if (size <= 0) return -1;
    // Converted aside and stored only when the text is a value of the type, so
    // a refused text leaves the field as it was.
    uint8_t small[64];
    std::vector<uint8_t> large;
    uint8_t* scratch = small;
    if (size_t(size) > sizeof small) {
        large.resize(size_t(size));
        scratch = large.data();
    }
    std::memcpy(scratch, place, size_t(size));
    const int result = ConvertOptions->TextToValue(conversionType(*GetItem(index)), text, scratch);
    if (result == 0) std::memcpy(place, scratch, size_t(size));
    return result;
}

const std::vector<uint8_t>* TStruct::defaults() const {
    const int size = GetSize();  // brings the layout up to date first
    if (size <= 0) return nullptr;
    if (defaultsKnown_) return &defaults_;
    defaults_.assign(size_t(size), 0);
    for (int i = 0; i < Items.Count; ++i) SetValue(defaults_.data(), i, GetItem(i)->Default);
    defaultsKnown_ = true;
    return &defaults_;
}

// The item's default from the default record: a default that is no value of
// the field's type (too long, out of range, empty for a number) gives the
// type's zero, so the field never keeps whatever bytes the record held.
// While the layout is unknown, SetValue with the default text.
void TStruct::setDefault(void* record, int index) const {
    const std::vector<uint8_t>* d = defaults();
    if (!d) {
        SetValue(record, index, GetItem(index)->Default);
        return;
    }
    if (!record) return;
    const std::vector<int>& at = offsets();
    std::memcpy(static_cast<uint8_t*>(record) + at[size_t(index)], d->data() + at[size_t(index)],
                size_t(at[size_t(index) + 1] - at[size_t(index)]));
}

void TStruct::SetDefaults(void* record) const {
    const std::vector<uint8_t>* d = defaults();
    if (!d) {
        for (int i = 0; i < Items.Count; ++i) setDefault(record, i);
        return;
    }
    if (record) std::memcpy(record, d->data(), d->size());
}

int TStruct::readValues(void* record, TZo_XML* xml, bool update) const {
    if (!xml) return -1;
    if (!record) return -2;
    if (GetSize() <= 0) return -3;
    for (int i = 0; i < Items.Count; ++i) {
        const TStructItem* item = GetItem(i);
        const std::string value = xml->GetAttribute(item->Name);
        // A text that is no value of the field's type counts as absent: reading
        // gives the default rather than whatever bytes the record held.
        if (!value.empty() && SetValue(record, i, value.c_str()) == 0) continue;
        if (!update) setDefault(record, i);
    }
    return 0;
}

template <typename Xml>
int TStruct::writeValues(const void* record, Xml* xml, bool all) const {
    if (!xml) return -1;
    if (!record) return -2;
    if (GetSize() <= 0) return -3;
    // Every item has its place (the size is known): each value's text is
    // taken straight from the conversion and handed on before the next one.
    const std::vector<int>& at = offsets();
    const auto* data = static_cast<const uint8_t*>(record);
    for (int i = 0; i < Items.Count; ++i) {
        const TStructItem* item = GetItem(i);
        const char* type = pins_[size_t(i)] ? "Word" : item->TypeName;
        const char* value = nullptr;
        if (ConvertOptions->ValueToText(type, data + at[size_t(i)], &value) != 0 || !value)
            value = "";
        if (all || std::strcmp(value, item->Default) != 0) xml->SetAttribute(item->Name, value);
        else xml->RemoveAttribute(item->Name);
    }
    return 0;
}

int TStruct::ReadValuesFromElement(void* record, TZo_XML* xml) const { return readValues(record, xml, false); }
int TStruct::UpdateValuesFromElement(void* record, TZo_XML* xml) const { return readValues(record, xml, true); }
int TStruct::WriteValuesToElement(const void* record, TZo_XML* xml) const { return writeValues(record, xml, false); }
int TStruct::WriteValuesToElement(const void* record, TZo_XMLWriter* xml) const {
    return writeValues(record, xml, false);
}
int TStruct::WriteAllValuesToElement(const void* record, TZo_XML* xml) const { return writeValues(record, xml, true); }

namespace {

// A value path split into its file and element tokens.
struct ValuePath {
    std::string file;
    std::vector<std::string> tokens;
    // Inside a scope: whether the element was looked for in the kept
    // document, what the search answered and the element it found.
    bool located = false;
    int found = 0;
    xmlNodePtr element = nullptr;
    // The records reading gave, by the description, the kind of reading and
    // the record's bytes before: the kept element does not change, so the
    // same reading of the same record gives the same bytes again.
    std::unordered_map<std::string, std::string> read;
};

ValuePath splitValuePath(const char* path) {
    const platform::FileAndRest parts = splitPath(path);
    return ValuePath{valueFile(parts.file), elementTokens(parts.rest)};
}

// What TValueFileScope keeps: split paths and parsed files.
struct ValueFiles {
    int scopes = 0;
    std::unordered_map<std::string, ValuePath> paths;
    std::unordered_map<std::string, std::unique_ptr<TZo_XML>> documents;
};

ValueFiles& valueFiles() {
    static ValueFiles files;
    return files;
}

// In the opened document: the element the tokens name, as an element path
// ROOT/element... or as a description path TOP/GROUP.../BLOCK. 0 found, or
// the code readValuesFromFile answers.
int goToValueElement(TZo_XML& xml, const std::vector<std::string>& tokens) {
    if (!tokens.empty() && xml.GoToPath(joinTokens(tokens, tokens.size())) == 0) return 0;
    const std::string top = tokens.empty() ? std::string() : tokens[0];
    xml.GoRoot();
    xml.SetMark();
    if (top.empty() || xml.CountFromMark(top) != 1) return -5;
    xml.FindFromMark(top);
    xml.SetMark();
    size_t k = 1;
    for (; k + 1 < tokens.size(); ++k) {
        if (xml.GoFirstChild() != 0) return -100;
        if (!findNamedChild(xml, "GROUP", tokens[k])) return -6;
    }
    if (k >= tokens.size() || xml.GoFirstChild() != 0) return -7;
    if (!findNamedChild(xml, "BLOCK", tokens[k])) return -7;
    return 0;
}

}  // namespace

TValueFileScope::TValueFileScope() { ++valueFiles().scopes; }

TValueFileScope::~TValueFileScope() {
    ValueFiles& files = valueFiles();
    if (--files.scopes > 0) return;
    files.paths.clear();
    files.documents.clear();
}

int TStruct::readValuesFromFile(void* record, const char* path, bool update) const {
    if (!path) return -1;
    if (!record) return -2;
    if (GetSize() <= 0) return -4;
    ValueFiles& files = valueFiles();
    const bool keep = files.scopes > 0;
    ValuePath split;
    ValuePath* parts = &split;
    if (!keep) {
        split = splitValuePath(path);
    } else if (const auto known = files.paths.find(path); known != files.paths.end()) {
        parts = &known->second;
    } else {
        parts = &files.paths.emplace(path, splitValuePath(path)).first->second;
    }
    const std::string& file = parts->file;
    if (file.empty()) return -100;

    std::unique_ptr<TZo_XML> opened;
    TZo_XML* xml = nullptr;
    if (keep) {
        if (const auto kept = files.documents.find(file); kept != files.documents.end()) xml = kept->second.get();
    }
    if (!xml) {
        // Tested before opening, so a file that is not there shows no parse-error box.
        if (!update && !platform::fileExists(file)) return -100;
        opened = std::make_unique<TZo_XML>();
        opened->CreateDom();
        if (opened->OpenFile(file) != 0) return -5;
        xml = opened.get();
        if (keep) files.documents.emplace(file, std::move(opened));
    }
    if (!keep) {
        if (const int found = goToValueElement(*xml, parts->tokens); found != 0) return found;
        return readValues(record, xml, update);
    }
    // The kept document does not change: where the element is, or that it is
    // not there, is found once per path.
    ValuePath& known = *parts;
    if (!known.located) {
        known.found = goToValueElement(*xml, known.tokens);
        known.element = xml->CurrentElement;
        known.located = true;
    }
    if (known.found != 0) return known.found;
    const size_t size = size_t(GetSize());
    const TStruct* self = this;
    std::string key;
    key.append(reinterpret_cast<const char*>(&self), sizeof self).append(1, update ? 'u' : 'r');
    key.append(static_cast<const char*>(record), size);
    if (const auto done = known.read.find(key); done != known.read.end()) {
        std::memcpy(record, done->second.data(), size);
        return 0;
    }
    xml->CurrentElement = known.element;
    const int result = readValues(record, xml, update);
    if (result == 0) known.read.emplace(std::move(key), std::string(static_cast<const char*>(record), size));
    return result;
}

int TStruct::ReadValuesFromFile(void* record, const char* path) const { return readValuesFromFile(record, path, false); }
int TStruct::UpdateValuesFromFile(void* record, const char* path) const { return readValuesFromFile(record, path, true); }

int TStruct::WriteValuesToFile(const void* record, const char* path) const {
    if (!path) return -1;
    if (!record) return -2;
    if (GetSize() <= 0) return -4;
    const platform::FileAndRest parts = splitPath(path);
    const std::string file = valueFile(parts.file);
    const std::vector<std::string> tokens = elementTokens(parts.rest);
    if (file.empty() || tokens.empty()) return -100;

    TZo_XML xml;
    xml.CreateDom();
    if (platform::fileExists(file)) {
        // A file that is there but does not parse is never replaced.
        if (xml.OpenFile(file) != 0) return -5;
    } else if (xml.NewDocument(tokens[0]) != 0) {
        return -100;
    }
    xml.GoRoot();
    // Under another root the path could never be found again, and each write
    // would add one more copy of the record.
    if (xml.GetNodeName() != tokens[0]) return -100;

    if (xml.GoToPath(joinTokens(tokens, tokens.size())) != 0) {
        xml.GoRoot();
        xml.SetMark();
        for (size_t i = 1; i < tokens.size(); ++i) {
            if (xml.GoToPath(joinTokens(tokens, i + 1)) != 0) {
                xml.GoMark();
                if (xml.AddChild(tokens[i]) != 0) return -100;
            }
            xml.SetMark();
        }
        // An element added after text or a comment at its level is past the
        // end of every walk: it would never be read back, and each write would
        // add one more.
        if (xml.GoToPath(joinTokens(tokens, tokens.size())) != 0) return -100;
    }
    writeValues(record, &xml, false);
    return xml.SaveFile(file) == 0 ? 0 : -100;
}

// ---------------------------------------------------------------------------
// TArhivStruc

TArhivStruc::TArhivStruc() { Structs.SetItemSize(sizeof(TStruct*)); }

TArhivStruc::~TArhivStruc() {
    for (uint16_t i = 0; i < Structs.Count; ++i) {
        TStruct* cached = nullptr;
        Structs.CopyItem(i, &cached);
        delete cached;
    }
    Structs.Clear();
}

void TArhivStruc::Log(const std::string& text, uint8_t level) const {
    if (OnLog) OnLog(text.c_str(), level);
}

TStruct* TArhivStruc::GetStruct(const char* pathText) {
    const std::string path = pathText ? pathText : "";
    for (uint16_t i = 0; i < Structs.Count; ++i) {
        TStruct* cached = nullptr;
        Structs.CopyItem(i, &cached);
        // The full path: Path keeps only 260 characters of a longer one.
        if (cached && cached->LoadedPath() == path) return cached;
    }
    auto loaded = std::make_unique<TStruct>();
    loaded->ConvertOptions = ConvertOptions;
    loaded->OnLog = OnLog;
    if (loaded->LoadStructDescription(path.c_str()) != 0) return nullptr;
    TStruct* raw = loaded.get();
    if (!Structs.AddItem(&raw)) {
        Log(ZO_RU("Ошибка добавления структуры ") + quoted(path), kErrorLevel);
        return nullptr;
    }
    return loaded.release();
}

void FillStructAccess(TStructAccess& access) {
    access.GetStructName = ::GetStructName;
    access.GetStructCaption = ::GetStructCaption;
    access.GetStructItemCount = ::GetStructItemCount;
    access.GetStructSize = ::GetStructSize;
    access.GetStructItemType = ::GetStructItemType;
    access.GetStructItemName = ::GetStructItemName;
    access.GetStructItemCaption = ::GetStructItemCaption;
    access.GetStructItemKind = ::GetStructItemKind;
    access.GetStructItemList = ::GetStructItemList;
    access.GetStructItemDefault = ::GetStructItemDefault;
    access.GetStructItemValue = ::GetStructItemValue;
    access.SetStructItemValue = ::SetStructItemValue;
    access.FindStructItem = ::FindStructItem;
}

}  // namespace zo

// ---------------------------------------------------------------------------
// Flat accessors

namespace {

// The one result buffer of the string accessors.
char gResultBuffer[261];

const char* toResult(std::string_view text) {
    const size_t n = std::min(text.size(), sizeof gResultBuffer - 1);
    if (n) std::memcpy(gResultBuffer, text.data(), n);
    gResultBuffer[n] = 0;
    return gResultBuffer;
}

// Only the first field of the instance is read.
const zo::TStruct* structOf(const TStructInstance* instance) {
    return instance ? static_cast<const zo::TStruct*>(instance->Struct) : nullptr;
}

template <typename Field>
const char* itemText(const TStructInstance* instance, uint16_t index, Field field) {
    const zo::TStruct* s = structOf(instance);
    if (!s) return nullptr;
    const zo::TStructItem* item = s->GetItem(index);
    return toResult(item ? std::string_view(field(*item)) : std::string_view());
}

}  // namespace

extern "C" {

const char* GetStructPath(const TStructInstance* instance) {
    const zo::TStruct* s = structOf(instance);
    return s ? s->Path : nullptr;
}

const char* GetStructName(const TStructInstance* instance) {
    const zo::TStruct* s = structOf(instance);
    return s ? s->Name : nullptr;
}

const char* GetStructCaption(const TStructInstance* instance) {
    const zo::TStruct* s = structOf(instance);
    return s ? s->Caption : nullptr;
}

int32_t GetStructItemCount(const TStructInstance* instance) {
    const zo::TStruct* s = structOf(instance);
    return s ? s->GetItemCount() : 0;
}

int32_t GetStructSize(const TStructInstance* instance) {
    const zo::TStruct* s = structOf(instance);
    return s ? s->GetSize() : 0;
}

const char* GetStructItemType(const TStructInstance* instance, uint16_t index) {
    return itemText(instance, index, [](const zo::TStructItem& item) { return item.TypeName; });
}

const char* GetStructItemName(const TStructInstance* instance, uint16_t index) {
    return itemText(instance, index, [](const zo::TStructItem& item) { return item.Name; });
}

const char* GetStructItemCaption(const TStructInstance* instance, uint16_t index) {
    return itemText(instance, index, [](const zo::TStructItem& item) { return item.Caption; });
}

const char* GetStructItemKind(const TStructInstance* instance, uint16_t index) {
    return itemText(instance, index, [](const zo::TStructItem& item) { return item.Kind; });
}

const char* GetStructItemList(const TStructInstance* instance, uint16_t index) {
    return itemText(instance, index, [](const zo::TStructItem& item) { return item.ValueList; });
}

const char* GetStructItemDefault(const TStructInstance* instance, uint16_t index) {
    return itemText(instance, index, [](const zo::TStructItem& item) { return item.Default; });
}

const char* GetStructItemValue(const TStructInstance* instance, uint16_t index) {
    const zo::TStruct* s = structOf(instance);
    if (!s) return nullptr;
    return toResult(s->GetValue(instance->Data, index));
}

int32_t SetStructItemValue(const TStructInstance* instance, uint16_t index, const char* text) {
    const zo::TStruct* s = structOf(instance);
    if (!s || !text) return 0;
    return s->SetValue(instance->Data, index, text) == 0 ? 1 : 0;
}

int32_t FindStructItem(const TStructInstance* instance, const char* name, int16_t* index) {
    const zo::TStruct* s = structOf(instance);
    if (!s || !index) return 0;
    return s->FindItem(name, *index);
}

void* GetStructItemPtr(const TStructInstance* instance, uint16_t index) {
    const zo::TStruct* s = structOf(instance);
    if (!s) return nullptr;
    return s->GetValuePtr(instance->Data, index);
}

}  // extern "C"
