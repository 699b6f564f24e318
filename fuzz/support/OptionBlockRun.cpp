#include "support/OptionBlockRun.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "kernel/KernelState.h"
#include "kernel/OptionBlocks.h"
#include "support/FuzzSupport.h"

#include <cstring>
#include <vector>

namespace zo::fuzz {

namespace {

// Blocks larger than this are not laid out (the shipped blocks are a few
// hundred bytes).
constexpr int32_t kMaxBlock = 1 << 16;

// The settings file's root name and the elements under it other than the
// block's own, with their attributes; ok false when it does not parse.
std::vector<std::string> otherBlocks(const std::string& block, bool& ok) {
    std::vector<std::string> out;
    TZo_XML xml;
    ok = FileThere(SettingsFile()) && xml.OpenFile(SettingsFile()) == 0;
    if (!ok) return out;
    xml.GoRoot();
    out.push_back("root " + xml.GetNodeName());
    if (xml.GoFirstChild() != 0) return out;
    do {
        const std::string name = xml.GetNodeName();
        if (name == block) continue;
        std::string element = name;
        if (xml.CurrentElement->type == XML_ELEMENT_NODE)
            for (xmlAttrPtr a = xml.CurrentElement->properties; a; a = a->next)
                element += " " + xml.GetAttribute(reinterpret_cast<const char*>(a->name));
        out.push_back(element);
    } while (xml.GoNextSibling() == 0);
    return out;
}

}  // namespace

std::string OptionsDescriptionPath(const std::string& block) {
    return kernel::State().structFolder + "\\Options.xml/OPTIONS/STRUCT/" + block;
}

std::string SettingsValuePath(const std::string& block) {
    return kernel::State().structFolder + "\\Configurator.xml/setings/" + block;
}

std::string SettingsFile() { return ProgramFile("Struct/Configurator.xml"); }

void RunOptionBlock(const std::string& block) {
    const std::string description = OptionsDescriptionPath(block);
    const std::string value = SettingsValuePath(block);
    void* ref = nullptr;
    int32_t size = 0;
    const int described = GetStructDescription(description.c_str(), &ref, &size);
    Note(block + ": description " + std::to_string(described) + ", size " + std::to_string(size));
    if (described != 0 || size <= 0 || size > kMaxBlock) {
        // A block the options file does not describe is neither read nor written.
        std::vector<uint8_t> untouched(16, 0xA5);
        ZO_FUZZ_CHECK(LoadOptionBlock(description.c_str(), value.c_str(), untouched.data(), 16) == -1 || size == 16,
                      block);
        ZO_FUZZ_CHECK(untouched == std::vector<uint8_t>(16, 0xA5) || size == 16, "an undescribed block was written");
        return;
    }
    // The shared description stays valid until the next GetStructDescription:
    // it reads and compares the values here.
    ZO_FUZZ_CHECK(ref != nullptr, block);
    const TStruct& own = *static_cast<const TStruct*>(ref);
    ZO_FUZZ_CHECK(own.GetSize() == size, block);

    std::vector<uint8_t> data(size_t(size), 0);
    const int loaded = LoadOptionBlock(description.c_str(), value.c_str(), data.data(), size);
    const std::vector<std::string> stored = StoredTexts(own, data.data());

    const std::string before = ReadFile(SettingsFile());
    bool parsed = false;
    const std::vector<std::string> others = otherBlocks(block, parsed);
    const int saved = SaveOptionBlock(description.c_str(), value.c_str(), data.data(), size);
    Note(block + ": load " + std::to_string(loaded) + ", save " + std::to_string(saved));
    const bool settingsFile = !FileThere(SettingsFile()) || (parsed && others.front() == "root setings");
    if (!settingsFile || saved != 0) {
        ZO_FUZZ_CHECK(ReadFile(SettingsFile()) == before, "a file that was not saved changed: " + block);
        return;
    }
    bool still = false;
    ZO_FUZZ_CHECK(otherBlocks(block, still) == others || others.empty(), "saving a block changed others: " + block);
    ZO_FUZZ_CHECK(still, "a saved settings file does not parse");
    // Read back as LoadOptionBlock reads (defaults, then the file) with the
    // description already at hand.
    std::vector<uint8_t> back(size_t(size), 0x5A);
    own.SetDefaults(back.data());
    ZO_FUZZ_CHECK(own.ReadValuesFromFile(back.data(), value.c_str()) == 0, "a saved block does not load: " + block);
    const std::string differences = CompareStored(own, stored, back.data());
    ZO_FUZZ_CHECK(differences.empty(), block + "\n" + differences);
}

}  // namespace zo::fuzz
