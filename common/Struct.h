#pragma once
// Structure descriptions: the layout of a fixed-layout record as an ordered list
// of named, typed fields read from XML, the values of such records (to and from
// text through the conversion library, to and from XML attributes), the cache
// of descriptions by path, and the flat C accessors that other libraries use to
// list, read and write the fields of any record.
//
// All texts are Windows-1251.

#include "common/MenObj.h"
#include "common/My_XML.h"
#include "common/abi/ConvertOptions.h"
#include "common/abi/LogProc.h"
#include "common/abi/StructAccess.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zo {

#pragma pack(push, 1)
// One field of a description: zero-terminated texts, zero-filled before set.
struct TStructItem {
    char Kind[31];       // node name: "IN"/"OUT" pin, "VAR" editable, else plain
    char Name[31];       // NAME
    char TypeName[31];   // TYPE, a type of the conversion library
    char Default[31];    // DEFAULT, text form of the default value
    char Caption[61];    // IM
    char ValueList[31];  // LIST, name of a list of choices
};
#pragma pack(pop)
static_assert(sizeof(TStructItem) == 216, "TStructItem is 216 bytes");

class TStruct {
public:
    TStruct();
    ~TStruct();
    TStruct(const TStruct&) = delete;
    TStruct& operator=(const TStruct&) = delete;

    // Loading (a nil path is taken as empty).
    int LoadStructDescription(const char* path);        // file/TOP/GROUP.../BLOCK: 0, -1..-8
    int LoadDescriptionByElementPath(const char* path); // file/ROOT/element.../NAME: 0, -1..-3
    int AddItem(const TStructItem& item);               // 0; -1 no conversion record; -2 unknown type / full
    int Clear();                                        // items and path emptied; 0
    int FindItem(const char* name, int16_t& index) const;  // 1 and index; 0 and -1

    int GetItemCount() const { return Items.Count; }
    const TStructItem* GetItem(int index) const;
    std::string GetName() const { return Name; }
    std::string GetCaption() const { return Caption; }
    std::string GetPath() const { return Path; }
    std::string GetItemName(int index) const;
    std::string GetItemType(int index) const;
    std::string GetItemDefault(int index) const;
    std::string GetItemCaption(int index) const;
    std::string GetItemList(int index) const;
    std::string GetItemKind(int index) const;

    // Layout and values of a record of this structure.
    int GetItemSize(int index) const;  // 2 for pins, else TypeSize; -1 no record / no item
    int GetSize() const;               // sum of item sizes; 0 empty; -1 no record / unknown size
    void* GetValuePtr(void* record, int index) const;
    std::string GetValue(const void* record, int index) const;
    // 0 stored; -1 no conversion record, nil record or text, bad index; any
    // other value is the conversion's refusal, and the record is left as it was.
    int SetValue(void* record, int index, const char* text) const;
    void SetDefaults(void* record) const;

    // The current element of the wrapper: 0; -1 no wrapper; -2 no record; -3 GetSize <= 0.
    int ReadValuesFromElement(void* record, TZo_XML* xml) const;
    int UpdateValuesFromElement(void* record, TZo_XML* xml) const;
    int WriteValuesToElement(const void* record, TZo_XML* xml) const;
    // The same attributes into the element a streaming writer has open.
    int WriteValuesToElement(const void* record, TZo_XMLWriter* xml) const;
    int WriteAllValuesToElement(const void* record, TZo_XML* xml) const;

    // A file path: file/ROOT/element... or a description path file/TOP/GROUP.../BLOCK.
    int ReadValuesFromFile(void* record, const char* path) const;
    int UpdateValuesFromFile(void* record, const char* path) const;
    int WriteValuesToFile(const void* record, const char* path) const;

    void Log(const std::string& text, uint8_t level) const;

    // The full path of the last successful LoadStructDescription (Path holds
    // at most 260 characters of it); the cache's key.
    const std::string& LoadedPath() const { return loadedPath_; }

    char Name[41] = {};
    char Character[21] = {};
    char Caption[61] = {};
    TMenObj Items;
    const TConvertOptions* ConvertOptions = nullptr;
    char Path[261] = {};
    TLogProc OnLog = nullptr;

private:
    bool hasConversion() const;
    const char* conversionType(const TStructItem& item) const;
    void clearHeader();
    void clearAfterFailure();
    void fillHeader(const TZo_XML& xml);
    int readValues(void* record, TZo_XML* xml, bool update) const;
    template <typename Xml>
    int writeValues(const void* record, Xml* xml, bool all) const;
    int readValuesFromFile(void* record, const char* path, bool update) const;
    int stepByElementPath(TZo_XML& xml, const std::string& path, const std::string& file,
                          const std::vector<std::string>& tokens, size_t d);
    int readItems(TZo_XML& xml, int emptyFieldCode, int addFailedCode);
    // Offset of every item in a record, then the record's size; -1 from the
    // first item of unknown size on. Worked out once per layout (the items
    // and the conversion record), since records are read field by field.
    const std::vector<int>& offsets() const;
    // The bytes of a record in which every item holds its default, or zero
    // where its default text is no value of its type. Worked out with the
    // layout; nil while the record's size is unknown.
    const std::vector<uint8_t>* defaults() const;
    void setDefault(void* record, int index) const;

    std::string loadedPath_;
    mutable std::vector<int> offsets_;
    mutable std::vector<uint8_t> pins_;  // with the offsets: the item is a pin (a Word)
    mutable const TConvertOptions* offsetsConvert_ = nullptr;
    mutable std::vector<uint8_t> defaults_;
    mutable bool defaultsKnown_ = false;
};

// While one lives, ReadValuesFromFile and UpdateValuesFromFile parse each file
// once and keep it, and each path is split into file and elements once: for
// an operation that reads the values of many blocks from the same library
// files, such as opening a project. The files are taken not to change while
// it lives. Scopes nest; the last one to end lets the documents go.
class TValueFileScope {
public:
    TValueFileScope();
    ~TValueFileScope();
    TValueFileScope(const TValueFileScope&) = delete;
    TValueFileScope& operator=(const TValueFileScope&) = delete;
};

// The cache of descriptions by path; each is loaded once while the cache lives.
class TArhivStruc {
public:
    TArhivStruc();
    ~TArhivStruc();
    TArhivStruc(const TArhivStruc&) = delete;
    TArhivStruc& operator=(const TArhivStruc&) = delete;

    // The cached description of the path (compared exactly, in full), loaded on
    // first demand; nil when it does not load (asking again retries). Owned by the cache.
    TStruct* GetStruct(const char* path);
    void Log(const std::string& text, uint8_t level) const;

    TLogProc OnLog = nullptr;
    TMenObj Structs;  // one owned TStruct* per item, in load order
    const TConvertOptions* ConvertOptions = nullptr;
};

// The accessor record in its documented order.
void FillStructAccess(TStructAccess& access);

}  // namespace zo

// The flat accessors (C calling convention). The first argument is the address
// of a TStructInstance; those that do not use Data read only its first field.
// String results stay valid until the next string accessor call: they share
// one 261-byte buffer (except Path, Name and Caption, which point into the
// structure itself).
extern "C" {
const char* GetStructPath(const TStructInstance* instance);
const char* GetStructName(const TStructInstance* instance);
const char* GetStructCaption(const TStructInstance* instance);
int32_t GetStructItemCount(const TStructInstance* instance);
int32_t GetStructSize(const TStructInstance* instance);
const char* GetStructItemType(const TStructInstance* instance, uint16_t index);
const char* GetStructItemName(const TStructInstance* instance, uint16_t index);
const char* GetStructItemCaption(const TStructInstance* instance, uint16_t index);
const char* GetStructItemKind(const TStructInstance* instance, uint16_t index);
const char* GetStructItemList(const TStructInstance* instance, uint16_t index);
const char* GetStructItemDefault(const TStructInstance* instance, uint16_t index);
const char* GetStructItemValue(const TStructInstance* instance, uint16_t index);
int32_t SetStructItemValue(const TStructInstance* instance, uint16_t index, const char* text);
int32_t FindStructItem(const TStructInstance* instance, const char* name, int16_t* index);
void* GetStructItemPtr(const TStructInstance* instance, uint16_t index);
}
