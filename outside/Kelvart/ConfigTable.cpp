#include "outside/Kelvart/ConfigTable.h"

#include <cstdio>

namespace zo::kelvart {

bool ParseConfig(const std::string& bytes, ConfigTable& out, std::string& reason) {
    out = ConfigTable{};
    if (bytes.size() < kHeaderSize + 2) {
        reason = "the file is shorter than the controller header, the net count and the end marker";
        return false;
    }
    out.address = uint8_t(bytes[kAddressOffset]);
    out.nets = uint8_t(bytes[kHeaderSize]);
    size_t pos = kHeaderSize + 1;
    while (true) {
        if (pos >= bytes.size()) {
            reason = "the end marker is missing";
            return false;
        }
        const size_t length = uint8_t(bytes[pos]);
        if (length == 0) break;
        if (length < 3 || pos + length > bytes.size()) {
            reason = "block " + std::to_string(out.blocks + 1) + " at byte " + std::to_string(pos) +
                     " has a length of " + std::to_string(length) + " that the file cannot hold";
            return false;
        }
        ++out.blocks;
        pos += length;
    }
    if (pos + 1 != bytes.size()) {
        reason = "bytes follow the end marker";
        return false;
    }
    out.table = bytes.substr(kHeaderSize + 1);
    return true;
}

std::string IncludeText(const ConfigTable& t, const std::string& sourceName) {
    // The name is a comment of one line: a line end or other control character in it would start a line of code.
    std::string name = sourceName;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    std::string text = "; Configuration table converted by Kelvart from " + name + "\r\n";
    text += ".equ CFG_ADDRESS = " + std::to_string(int(t.address)) + "\r\n";
    text += ".equ CFG_NETS = " + std::to_string(t.nets) + "\r\n";
    text += ".equ CFG_BLOCKS = " + std::to_string(t.blocks) + "\r\n";
    text += ".equ CFG_SIZE = " + std::to_string(t.table.size()) + "\r\n";
    text += "CfgTable:\r\n";
    std::string bytes = t.table;
    if (bytes.size() % 2) bytes.push_back('\0');
    for (size_t i = 0; i < bytes.size(); i += 16) {
        text += ".db ";
        for (size_t j = i; j < bytes.size() && j < i + 16; ++j) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%s0x%02X", j == i ? "" : ", ", unsigned(uint8_t(bytes[j])));
            text += hex;
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace zo::kelvart
