#include "XmlReference.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fcntl.h>
#include <unistd.h>

namespace zo::bench {

namespace {

int64_t walk(const xmlNode* node) {
    int64_t seen = 0;
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        ++seen;
        for (const xmlAttr* a = node->properties; a; a = a->next)
            if (a->children && a->children->content) ++seen;
        seen += walk(node->children);
    }
    return seen;
}

}  // namespace

int64_t ParseAndWalk(const std::string& path) {
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NOBLANKS | XML_PARSE_NONET);
    if (!doc) return -1;
    const int64_t seen = walk(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return seen;
}

ParsedDocument::ParsedDocument(const std::string& path)
    : doc_(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NOBLANKS | XML_PARSE_NONET)) {}

ParsedDocument::~ParsedDocument() {
    if (doc_) xmlFreeDoc(static_cast<xmlDocPtr>(doc_));
}

int64_t ParsedDocument::save(const std::string& path, bool sync) const {
    if (!doc_) return -1;
    const int oldIndent = xmlIndentTreeOutput;
    xmlIndentTreeOutput = 1;
    const int written = xmlSaveFormatFileEnc(path.c_str(), static_cast<xmlDocPtr>(doc_), "windows-1251", 1);
    xmlIndentTreeOutput = oldIndent;
    if (written < 0 || !sync) return written;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced ? written : -1;
}

}  // namespace zo::bench
