#include "outside/ZoConnect/UpdateFiles.h"

#include "common/FileReplacement.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zo::connect {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxEntryPath = 250;
constexpr char kManifestName[] = ".manifest";

std::string attribute(xmlNodePtr node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value) return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool isElement(xmlNodePtr node, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// Every existing part of folder/relative's parents below folder must be a real
// folder; missing ones are made.
bool makeParents(const fs::path& folder, const fs::path& relative) {
    fs::path at = folder;
    for (auto it = relative.begin(); it != relative.end(); ++it) {
        if (std::next(it) == relative.end()) break;
        at /= *it;
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(at, ec);
        if (status.type() == fs::file_type::not_found) {
            if (!fs::create_directory(at, ec) || ec) return false;
        } else if (status.type() != fs::file_type::directory) {
            return false;  // a link or a file in the way
        }
    }
    return true;
}

}  // namespace

bool ValidEntryPath(const std::string& name, std::string* normalized) {
    if (name.empty() || name.size() > kMaxEntryPath) return false;
    std::string text = name;
    for (char& c : text)
        if (c == '\\') c = '/';
    if (text[0] == '/' || text.find('\0') != std::string::npos) return false;
    std::string result;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (!result.empty()) result += '/';
        result += part;
        start = end + 1;
    }
    if (normalized) *normalized = result;
    return true;
}

bool ValidEntryName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 50) return false;
    for (unsigned char c : name)
        if (!(std::isalnum(c) || c == '_' || c == '-' || c == '.') || c > 127) return false;
    return true;
}

bool ParseUpdateList(const std::string& bytes, std::vector<UpdateEntry>* entries) {
    entries->clear();
    xmlDocPtr doc = xmlReadMemory(bytes.data(), int(bytes.size()), "update.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return false;
    bool ok = doc->intSubset == nullptr || doc->intSubset->entities == nullptr;
    xmlNodePtr root = xmlDocGetRootElement(doc);
    ok = ok && isElement(root, "UPDATE");
    if (ok) {
        for (xmlNodePtr child = root->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            UpdateEntry entry;
            entry.name = reinterpret_cast<const char*>(child->name);
            entry.caption = attribute(child, "IM");
            entry.version = attribute(child, "VERSION");
            entry.info = attribute(child, "INFO");
            for (xmlNodePtr file = child->children; file; file = file->next) {
                if (!isElement(file, "FILE")) continue;
                entry.files.push_back({attribute(file, "NAME"), attribute(file, "EXEC") == "1"});
            }
            entries->push_back(std::move(entry));
        }
    }
    xmlFreeDoc(doc);
    return ok;
}

bool ReadManifest(const std::string& stagingFolder, Manifest* manifest) {
    *manifest = {};
    std::ifstream in(fs::path(stagingFolder) / kManifestName);
    if (!in) return false;
    std::string line;
    bool versioned = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        std::getline(fields, kind, '\t');
        if (kind == "version") {
            std::getline(fields, manifest->version);
            versioned = true;
        } else if (kind == "file") {
            std::string mode, name;
            std::getline(fields, mode, '\t');
            std::getline(fields, name);
            StagedFile file;
            if (!ValidEntryPath(name, &file.name)) return false;
            file.mode = mode == "755" ? 0755 : 0644;
            manifest->files.push_back(file);
        } else if (!kind.empty()) {
            return false;
        }
    }
    return versioned;
}

bool WriteManifest(const std::string& stagingFolder, const Manifest& manifest) {
    std::string text = "version\t" + manifest.version + "\n";
    for (const StagedFile& file : manifest.files)
        text += std::string("file\t") + (file.mode == 0755 ? "755" : "644") + "\t" + file.name + "\n";
    return ReplaceFileContents((fs::path(stagingFolder) / kManifestName).string(), text.data(), text.size(), 0644,
                               LinkPolicy::ReplaceLink) == kReplaceOk;
}

std::string ReadInstalledVersion(const std::string& updateFolder, const std::string& entry) {
    std::ifstream in(fs::path(updateFolder) / (entry + ".version"));
    std::string version;
    std::getline(in, version);
    return version;
}

bool WriteInstalledVersion(const std::string& updateFolder, const std::string& entry, const std::string& version) {
    const std::string text = version + "\n";
    return ReplaceFileContents((fs::path(updateFolder) / (entry + ".version")).string(), text.data(), text.size(),
                               0644, LinkPolicy::ReplaceLink) == kReplaceOk;
}

bool WriteBelow(const std::string& folder, const std::string& relative, const std::string& bytes, int mode) {
    if (!makeParents(folder, relative)) return false;
    return ReplaceFileContents((fs::path(folder) / relative).string(), bytes.data(), bytes.size(), mode,
                               LinkPolicy::ReplaceLink) == kReplaceOk;
}

std::unique_ptr<FileReplacement> OpenBelow(const std::string& folder, const std::string& relative, int mode) {
    if (!makeParents(folder, relative)) return nullptr;
    auto file = std::make_unique<FileReplacement>((fs::path(folder) / relative).string(), LinkPolicy::ReplaceLink);
    return file->Open(mode) == kReplaceOk ? std::move(file) : nullptr;
}

}  // namespace zo::connect
