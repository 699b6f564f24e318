// A structure description file: descriptions loaded by description path and
// by element path from arbitrary bytes, then records of them laid out, filled
// with defaults, read from and written to elements and files, and reached
// through the flat accessors. Values written to a file must read back as the
// same texts.

#include "common/My_XML.h"
#include "common/Struct.h"
#include "support/FuzzSupport.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::fuzz;

namespace {

// Records larger than this are not laid out by the target (the descriptions
// the system reads describe records of a few hundred bytes).
constexpr int kMaxRecord = 1 << 20;

void accessors(TStruct& s, void* record) {
    const TStructInstance instance{&s, record};
    (void)GetStructPath(&instance);
    (void)GetStructName(&instance);
    (void)GetStructCaption(&instance);
    const int32_t count = GetStructItemCount(&instance);
    (void)GetStructSize(&instance);
    for (int32_t i = 0; i <= count && i < 300; ++i) {
        const auto index = uint16_t(i);
        (void)GetStructItemType(&instance, index);
        (void)GetStructItemCaption(&instance, index);
        (void)GetStructItemKind(&instance, index);
        (void)GetStructItemList(&instance, index);
        const std::string def = GetStructItemDefault(&instance, index);
        const std::string name = GetStructItemName(&instance, index);
        int16_t found = -2;
        if (i < count) ZO_FUZZ_CHECK(FindStructItem(&instance, name.c_str(), &found) == 1 && found >= 0, name);
        (void)GetStructItemPtr(&instance, index);
        const std::string value = GetStructItemValue(&instance, index);
        SetStructItemValue(&instance, index, value.c_str());
        SetStructItemValue(&instance, index, def.c_str());
    }
}

// The record of a loaded description through every value operation.
void exercise(TStruct& s, const std::string& file, const std::string& descriptionPath) {
    const int size = s.GetSize();
    if (size <= 0 || size > kMaxRecord) return;
    std::vector<uint8_t> record(size_t(size), 0);
    s.SetDefaults(record.data());
    accessors(s, record.data());
    s.SetDefaults(record.data());

    // The attributes of the description's own element (a library block's
    // display parameters are read this way), by description path.
    s.ReadValuesFromFile(record.data(), descriptionPath.c_str());
    s.UpdateValuesFromFile(record.data(), descriptionPath.c_str());

    // Written to a file of its own and read back: the same texts.
    const std::string out = Scratch() + "/values.xml";
    RemoveFile(out);
    const std::vector<std::string> stored = StoredTexts(s, record.data());
    if (s.WriteValuesToFile(record.data(), (out + "/setings/Block").c_str()) == 0) {
        std::vector<uint8_t> back(size_t(size), 0);
        s.SetDefaults(back.data());
        ZO_FUZZ_CHECK(s.ReadValuesFromFile(back.data(), (out + "/setings/Block").c_str()) == 0, file);
        const std::string differences = CompareStored(s, stored, back.data());
        ZO_FUZZ_CHECK(differences.empty(), descriptionPath + "\n" + differences);
    }

    // Element forms on a document of its own.
    TZo_XML xml;
    if (xml.NewDocument("Root") == 0) {
        xml.GoRoot();
        s.WriteAllValuesToElement(record.data(), &xml);
        s.WriteValuesToElement(record.data(), &xml);
        s.ReadValuesFromElement(record.data(), &xml);
        s.UpdateValuesFromElement(record.data(), &xml);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    Convert();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = Scratch() + "/description.xml";
    WriteFile(file, data, size);

    const DocumentNames names = ReadNames(file);
    if (!names.opened) return 0;

    // The paths the readers of the system form: TOP/GROUP.../BLOCK for the
    // structure files, device descriptions and element libraries, and
    // ROOT/element.../NAME for the options file.
    std::vector<std::string> paths;
    for (const std::string& block : names.blockPaths)
        if (paths.size() < 3) paths.push_back(file + "/" + block);
    paths.push_back(file + "/STRUCT/Block");

    TArhivStruc cache;
    cache.ConvertOptions = Convert();
    for (const std::string& path : paths) {
        TStruct* s = cache.GetStruct(path.c_str());
        Note(path + (s ? " loaded, size " + std::to_string(s->GetSize()) : " not loaded"));
        ZO_FUZZ_CHECK(cache.GetStruct(path.c_str()) == s, path);
        if (s) exercise(*s, file, path);
    }

    // By element path: ROOT/element.../NAME of a BLOCK, as the options file is read.
    TStruct byElement;
    byElement.ConvertOptions = Convert();
    size_t block = 0;
    for (const std::string& element : names.elementPaths) {
        const std::string suffix = "/BLOCK";
        if (element.size() <= suffix.size() || element.compare(element.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        if (block >= names.blockPaths.size() || block >= 2) break;
        const std::string& blockPath = names.blockPaths[block++];
        const size_t slash = blockPath.rfind('/');
        const std::string path = file + "/" + element.substr(0, element.size() - suffix.size()) + "/" +
                                 blockPath.substr(slash == std::string::npos ? 0 : slash + 1);
        const int loaded = byElement.LoadDescriptionByElementPath(path.c_str());
        Note(path + " by element path: " + std::to_string(loaded));
        if (loaded == 0) exercise(byElement, file, path);
    }
    return 0;
}
