#include "kernel/ConfigFile.h"

#include "common/Struct.h"
#include "kernel/ConfigWriter.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/OptionBlocks.h"
#include "kernel/SheetIndex.h"
#include "platform/Cp1251.h"

#include <charconv>
#include <cstring>

namespace zo::kernel {

namespace {

struct ChannelKind {
    const char* typeName;
    uint8_t kind;
    const char* countLabel;  // UTF-8
};

// Count heads in file order; items carry the same kinds.
const ChannelKind kChannels[] = {
    {"Out", kCfgOut, "Количество каналов Out="},
    {"In", kCfgIn, "Количество каналов In="},
    {"Orvan_Out", kCfgNetOut, "Количество каналов Orvanta Out="},
    {"Orvan_In", kCfgNetIn, "Количество каналов Orvanta In="},
};

const ChannelKind* channelOf(const TBlockRecord& block) {
    const std::string name = BlockTypeName(block);
    for (const ChannelKind& c : kChannels)
        if (name == c.typeName) return &c;
    return nullptr;
}

template <typename Visit>
void forEachBlock(Visit visit) {
    const TMenObj& sheets = State().sheets;
    for (uint16_t s = 0; s < sheets.Count; ++s) {
        auto* sheet = static_cast<TSheetRecord*>(sheets.GetItem(s));
        TMenObj* blocks = sheet->Blocks;
        if (!blocks) continue;
        for (uint16_t b = 0; b < blocks->Count; ++b) visit(*sheet, *static_cast<TBlockRecord*>(blocks->GetItem(b)));
    }
}

template <typename Int>
bool parseWhole(const std::string& text, Int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Grouping of unbound pins (option block "ConfiguratorBuilder"); n grows by
// one for each kind that bound a pin.
void groupUnbound(ConfigWriter& writer, int& n) {
    void* data = nullptr;
    int32_t size = 0;
    int32_t reserved = 0;
    if (GetKernelOptionBlock(kBuilderBlockName, &data, &size, &reserved) != kOptionBlockDone || !data || size < 2) return;
    const auto* options = static_cast<const uint8_t*>(data);
    bool changed = false;
    if (options[0] == 1 && GroupUnboundPins("IN", n) > 0) {
        writer.Log(ZO_RU("Сгруппированы не привязанные входные каналы FBD блоков: соединение ") + std::to_string(n), kLogInformation);
        ++n;
        changed = true;
    }
    if (options[1] == 1 && GroupUnboundPins("OUT", n) > 0) {
        writer.Log(ZO_RU("Сгруппированы не привязанные выходные каналы FBD блоков: соединение ") + std::to_string(n), kLogInformation);
        ++n;
        changed = true;
    }
    if (changed) MarkSheetsChanged();
}

bool blockHeadChecked(ConfigWriter& writer) {
    const std::string path = State().structFolder + "\\Struct.xml/STRUCT/" + ZO_RU("Описание_блока");
    const TStruct* d = State().structCache->GetStruct(path.c_str());
    if (d && d->GetSize() == kCfgHeadSize) return true;
    writer.Log(ZO_RU("Ошибка описание  ") + path, kLogError);
    return false;
}

// The network channel item: pin value (65535 when not a number) and ID.
int networkItem(ConfigWriter& writer, const TSheetRecord& sheet, const TBlockRecord& block, const char* pinField,
                std::string& data) {
    const TStruct* d = BlockDescription(block);
    const void* record = BlockData(block);
    int16_t pin = -1;
    int16_t id = -1;
    const auto missing = [&](const char* field) {
        writer.Log(BlockOnSheet(sheet, block) + ZO_RU("   не содержит поля ") + Q + field + Q, kLogError);
        return kConfigPinFieldMissing;
    };
    if (!d || !record || d->FindItem(pinField, pin) != 1) return missing(pinField);
    int32_t idValue = 0;
    if (d->FindItem("ID", id) != 1 || !parseWhole(d->GetValue(record, id), idValue)) return missing("ID");
    uint16_t pinValue = 65535;
    if (!parseWhole(d->GetValue(record, pin), pinValue)) pinValue = 65535;
    data.assign(6, '\0');
    std::memcpy(&data[0], &pinValue, 2);
    std::memcpy(&data[2], &idValue, 4);
    return kConfigWritten;
}

// Count heads and channel items of the full layout: written, channel not
// written or pin field missing.
int writeChannels(ConfigWriter& writer) {
    int counts[4] = {};
    forEachBlock([&](TSheetRecord&, TBlockRecord& block) {
        if (const ChannelKind* c = channelOf(block)) ++counts[c - kChannels];
    });
    for (size_t i = 0; i < 4; ++i) {
        if (counts[i] <= 0) continue;
        if (counts[i] > 0x7FFF || !writer.Append(ConfigHead(kCfgHeadSize, kChannels[i].kind, counts[i], 0)))
            return kConfigChannelNotWritten;
        writer.Log(platform::utf8ToCp1251(kChannels[i].countLabel) + std::to_string(counts[i]) + "  -(" +
                       std::to_string(kCfgHeadSize) + ZO_RU(" байт)"),
                   kLogInformation);
    }
    int running[4] = {};
    int result = kConfigWritten;
    forEachBlock([&](TSheetRecord& sheet, TBlockRecord& block) {
        const ChannelKind* c = result == 0 ? channelOf(block) : nullptr;
        if (!c) return;
        std::string data;
        if (c->kind == kCfgIn || c->kind == kCfgOut) {
            const TStruct* d = BlockDescription(block);
            const int size = d && BlockData(block) ? d->GetSize() : -1;
            if (size < 0 || size + kCfgHeadSize > 0xFFFF) {
                result = kConfigChannelNotWritten;
                return;
            }
            data.assign(static_cast<const char*>(BlockData(block)), size_t(size));
        } else if ((result = networkItem(writer, sheet, block, c->kind == kCfgNetIn ? "Out" : "In", data)) != 0) {
            return;
        }
        const int length = int(data.size()) + kCfgHeadSize;
        if (!writer.Append(ConfigHead(length, c->kind, running[c - kChannels]++, int(data.size())) + data)) {
            result = kConfigChannelNotWritten;
            return;
        }
        writer.Log(ZO_RU("Добавлен канал ") + Q + RecordName(block.Name, sizeof block.Name) + Q + ZO_RU(" схемы ") + Q +
                       RecordName(sheet.Name, sizeof sheet.Name) + Q + " -(" + std::to_string(length) +
                       ZO_RU(" байт)"),
                   kLogInformation);
    });
    return result;
}

// The connections element (or the one count byte of the simplified layout):
// written, refused or count not written.
int writeNetCount(ConfigWriter& writer, int n) {
    if (writer.FileType() == 2) {
        if (n > kMaxSimplifiedNets) {
            writer.Log(ZO_RU("Ошибка, большое количество соеденений (больше 254)"), kLogError);
            return kConfigRefused;
        }
        if (!writer.Append(std::string(1, char(n)))) return kConfigCountNotWritten;
        writer.Log(ZO_RU("Добавлено описание соеденений -(1 байт)"), kLogInformation);
        return kConfigWritten;
    }
    if (n > kMaxFullNets) {
        writer.Log(ZO_RU("Ошибка, большое количество соеденений (больше ") + std::to_string(kMaxFullNets) + ")", kLogError);
        return kConfigRefused;
    }
    if (!writer.Append(ConfigHead(kCfgHeadSize, kCfgConnections, n + 1, 0))) return kConfigCountNotWritten;
    writer.Log(ZO_RU("Добавлено описание соеденений -(") + std::to_string(kCfgHeadSize) + ZO_RU(" байт)"), kLogInformation);
    return kConfigWritten;
}

int createConfigFile(const std::string& cfgPath, const std::string& logName, TZoStringList* list) {
    KernelState& s = State();
    ConfigWriter writer(cfgPath, logName, list, s.configFileType);
    writer.Log("", kLogInformation);
    writer.Log(ZO_RU("Создание файла конфигурации ") + cfgPath, kLogInformation);
    if (s.configFileType == 2) writer.Log(ZO_RU("Тип файла конфигурации: упрощенный"), kLogInformation);

    int n = IndexConnections();
    if (n < 0 || n > 65535) {
        writer.Log(ZO_RU("Ошибка индексирования соединений"), kLogError);
        return kConfigRefused;
    }
    writer.Log(ZO_RU("Индексирования соеденений: ") + std::to_string(n) + ZO_RU(" соединений"), kLogInformation);
    groupUnbound(writer, n);
    if (!blockHeadChecked(writer)) return kConfigRefused;

    const TStruct* header = HeaderDescription();
    const int headerSize = header ? header->GetSize() : -1;
    if (headerSize < 0) {
        writer.Log(ZO_RU("Не удается загрузить описание  ") + HeaderDescriptionPath(), kLogError);
        return kConfigRefused;
    }
    if (headerSize > 0 && !s.headerRecord) return kConfigNotCreated;
    const std::string headerBytes(static_cast<const char*>(s.headerRecord), size_t(headerSize));
    if (!writer.Create(headerBytes)) return kConfigNotCreated;
    writer.Log(ZO_RU("Добавлен заголовок -(") + std::to_string(headerSize) + ZO_RU(" байт)"), kLogInformation);

    if (const int rc = writeNetCount(writer, n); rc != kConfigWritten) return rc;
    if (s.configFileType != 2) {
        if (const int rc = writeChannels(writer); rc != kConfigWritten) return rc;
    }
    if (const int rc = WriteBlocksInOrder(writer, n); rc != kConfigWritten) return rc;
    if (s.configFileType == 2) {
        if (!writer.Append(std::string(1, '\0'))) return kConfigCountNotWritten;
        writer.Log(ZO_RU("Добавлен маркер окончания файла конфигурации -(1 байт)"), kLogInformation);
    }
    if (!writer.Commit()) {
        writer.Log(ZO_RU("Ошибка создания файла ") + Q + cfgPath + Q, kLogError);
        return kConfigNotCreated;
    }
    writer.Log(ZO_RU("Создан файл конфигураций ") + cfgPath + " -(" + std::to_string(writer.Total()) + ZO_RU(" байт)"),
               kLogInformation);
    if (auto repaint = Options().RepaintSchemeWindows) repaint();
    return kConfigWritten;
}

}  // namespace

}  // namespace zo::kernel

extern "C" int32_t CreateConfigFile(const char* cfgPath, const char* logName, TZoStringList* list) {
    return zo::kernel::createConfigFile(cfgPath ? cfgPath : "", logName ? logName : "", list);
}
