#include "common/My_XML.h"

#include "common/ConvStr.h"
#include "common/FileReplacement.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zo {

namespace {

using platform::cp1251ToUtf8;
using platform::utf8ToCp1251;

const xmlChar* X(const std::string& utf8) { return reinterpret_cast<const xmlChar*>(utf8.c_str()); }

std::string fromXml(const xmlChar* text) {
    return text ? utf8ToCp1251(reinterpret_cast<const char*>(text)) : std::string();
}

bool isElement(const xmlNode* node) { return node && node->type == XML_ELEMENT_NODE; }

bool nameIs(const xmlNode* node, const std::string& utf8Name) {
    return isElement(node) && std::strcmp(reinterpret_cast<const char*>(node->name), utf8Name.c_str()) == 0;
}

// The DOM the system walks has no whitespace-only text between elements:
// sibling walks stop only at comments and other real non-element nodes.
void dropBlankText(xmlNodePtr node) {
    for (xmlNodePtr child = node ? node->children : nullptr; child;) {
        xmlNodePtr next = child->next;
        if (child->type == XML_TEXT_NODE && xmlIsBlankNode(child)) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        } else if (child->type == XML_ELEMENT_NODE) {
            dropBlankText(child);
        }
        child = next;
    }
}

bool isInside(const xmlNode* node, const xmlNode* ancestor) {
    for (const xmlNode* n = node; n; n = n->parent)
        if (n == ancestor) return true;
    return false;
}

// XML 1.0 cannot hold most control characters; a value holding one would make
// the saved file unreadable, so they are replaced where they enter the document.
std::string xmlSafe(const std::string& cp1251) {
    std::string out = cp1251;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') c = '?';
    }
    return cp1251ToUtf8(out);
}

// The longest part of a bad line the parse-error box quotes.
constexpr size_t kQuotedLineLimit = 300;

// True when the file's text is UTF-8: no encoding declared, or UTF-8 declared.
bool declaresUtf8(const std::string& head) {
    if (head.rfind("<?xml", 0) != 0) return true;
    const size_t end = head.find("?>");
    const std::string declaration = head.substr(0, end);
    const size_t at = declaration.find("encoding");
    if (at == std::string::npos) return true;
    const size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string::npos) return true;
    std::string name = declaration.substr(quote + 1, declaration.find_first_of("\"'", quote + 1) - quote - 1);
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    return name == "utf-8" || name == "utf8";
}

// The length of the UTF-8 character starting at text[at]; 0 when the bytes
// there are no well-formed character.
size_t utf8CharacterLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[at + i]);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

void appendEscape(std::string& out, unsigned char byte) {
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02X", unsigned(byte));
    out += code;
}

// Text of a file or a name as the box shows it, in Windows-1251: every control
// character (tab aside) and every byte that is no character of the text's
// encoding written as "\xNN", a character Windows-1251 lacks as "<U+XXXX>".
std::string printable(std::string_view text, bool utf8) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const size_t length = utf8 ? utf8CharacterLength(text, at) : 1;
        if (length == 0 || (byte < 0x20 && byte != '\t') || byte == 0x7F || (!utf8 && byte == 0x98)) {
            appendEscape(out, byte);
            ++at;
            continue;
        }
        if (utf8 && length > 1)
            out += platform::readableCp1251(QString::fromUtf8(text.data() + at, qsizetype(length)));
        else
            out.push_back(char(byte));
        at += length;
    }
    return out;
}

// The line of the file as the box quotes it: read piece by piece, at most
// kQuotedLineLimit bytes of it kept (the cut marked with "..."), a UTF-8
// file's text given in Windows-1251 like every other text of the box, and
// what cannot be shown as text escaped (printable).
std::string lineOfFile(int fd, int line) {
    if (fd < 0 || line < 1) return {};
    std::string head;
    std::string text;
    bool cut = false;
    bool ended = false;
    int current = 1;
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        offset += n;
        if (head.size() < 256) head.append(buffer, std::min(size_t(n), 256 - head.size()));
        const char* p = buffer;
        const char* end = buffer + n;
        while (p < end && current < line) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            if (!nl) {
                p = end;
                break;
            }
            p = nl + 1;
            ++current;
        }
        if (current < line) continue;
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* stop = nl ? nl : end;
        const size_t room = kQuotedLineLimit + 1 - text.size();
        text.append(p, std::min(size_t(stop - p), room));
        ended = nl && size_t(stop - p) <= room;
        if (nl || text.size() > kQuotedLineLimit) break;
    }
    if (current < line) return {};
    if (ended && !text.empty() && text.back() == '\r') text.pop_back();
    if (text.size() > kQuotedLineLimit) {
        cut = true;
        text.resize(kQuotedLineLimit);
    }
    if (!cut && !text.empty() && text.back() == '\r') text.pop_back();
    const bool utf8 = declaresUtf8(head);
    // A cut never splits a UTF-8 character.
    if (cut && utf8) {
        size_t start = text.size();
        while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
        if (start > 0) {
            const auto lead = static_cast<unsigned char>(text[start - 1]);
            const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (text.size() - (start - 1) < length) text.resize(start - 1);
        }
    }
    text = printable(text, utf8);
    return cut ? text + "..." : text;
}

// Why a file that is not opened for reading cannot be read, for the box.
std::string unreadableReason(const std::string& native, int error) {
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ZO_RU("файл не найден") : ZO_RU("файл недоступен");
    if (S_ISDIR(st.st_mode)) return ZO_RU("это папка, а не файл");
    if (!S_ISREG(st.st_mode)) return ZO_RU("это не обычный файл");
    return error == EACCES ? ZO_RU("нет доступа к файлу") : ZO_RU("файл не открывается");
}

// Keeps the first error of a parse: the one the user has to fix.
struct FirstError {
    bool seen = false;
    xmlError error{};
    std::string message;
};

// The reader refuses documents that declare entities: no file of the system
// needs one, and a reference to an entity is expanded again on every read of
// the text holding it, so a small file could cost minutes and gigabytes. The
// parse stops at the first declaration, before any reference is expanded.
thread_local FirstError* g_reading = nullptr;

void refuseEntity(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    FirstError* first = g_reading;
    if (first && !first->seen) {
        first->seen = true;
        first->error = xmlError{};
        first->error.domain = XML_FROM_PARSER;
        first->error.code = XML_ERR_USER_STOP;
        first->error.level = XML_ERR_FATAL;
        first->error.line = ctxt->input ? ctxt->input->line : 0;
        first->error.int2 = ctxt->input ? ctxt->input->col : 0;
        first->message = "Entity declarations are not allowed";
    }
    ctxt->wellFormed = 0;
    xmlStopParser(ctxt);
}

void refuseUnparsedEntity(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, const xmlChar*) {
    refuseEntity(context, name, 0, nullptr, nullptr, nullptr);
}

void recordError(void* userData, xmlErrorPtr error) {
    auto* first = static_cast<FirstError*>(userData);
    if (first->seen || !error || error->level < XML_ERR_ERROR) return;
    first->seen = true;
    first->error = *error;
    first->message = error->message ? error->message : "";
    first->error.message = nullptr;
    first->error.file = nullptr;
    first->error.str1 = first->error.str2 = first->error.str3 = nullptr;
}

std::string trimEnd(std::string s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.pop_back();
    return s;
}

// A name the reader takes back as it was written: a colon would make it a
// prefixed name, which the reader refuses unless the prefix is declared.
bool writableName(const std::string& utf8Name) { return xmlValidateNCName(X(utf8Name), 0) == 0; }

bool holdsIn1251(const xmlChar* text) {
    bool lossless = true;
    if (text) utf8ToCp1251(reinterpret_cast<const char*>(text), &lossless);
    return lossless;
}

// A Windows-1251 file can hold any character only where XML has character
// references: in attribute values and character data. A name, a comment, a
// processing instruction or a CDATA section with a character that Windows-1251
// lacks would be written as a reference there, so the file would not read
// again or would read differently. Documents read from files in another
// encoding can hold such text.
bool writableIn1251(const xmlNode* node) {
    for (; node; node = node->next) {
        switch (node->type) {
            case XML_ELEMENT_NODE:
                if (!holdsIn1251(node->name)) return false;
                for (const xmlAttr* a = node->properties; a; a = a->next)
                    if (!holdsIn1251(a->name)) return false;
                break;
            case XML_COMMENT_NODE:
            case XML_CDATA_SECTION_NODE:
                if (!holdsIn1251(node->content)) return false;
                break;
            case XML_PI_NODE:
                if (!holdsIn1251(node->name) || !holdsIn1251(node->content)) return false;
                break;
            case XML_DTD_NODE:
            case XML_ELEMENT_DECL:
            case XML_ATTRIBUTE_DECL:
            case XML_ENTITY_DECL:
                if (!holdsIn1251(node->name)) return false;
                break;
            default:
                break;
        }
        // The children of an entity reference are those of its declaration.
        if (node->type != XML_ENTITY_REF_NODE && !writableIn1251(node->children)) return false;
    }
    return true;
}

void rootSeen(void* context, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
              const xmlChar**) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    ctxt->_private = ctxt;
}

// The text as written must read again: the saving never replaces a file with
// one that does not parse. The bytes written to the temporary file are read
// back from it exactly as the reader reads a file (the same reading of the
// descriptor, so the same pieces: a parser given its input another way takes
// some texts, very long non-ASCII names in a converted encoding, that the
// reader of a file refuses) and parsed as reading parses them (the document
// type's declarations taken in, so a reference to a declared entity is no
// error); the elements, texts and comments are only passed over, not built
// into a second tree: a well-formed document with a root element.
bool readsAgain(int fd) {
    if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0) return false;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return false;
    xmlSAXHandler* sax = ctxt->sax;  // the context's own copy of the tree builder's handlers
    sax->startElementNs = rootSeen;
    sax->endElementNs = nullptr;
    sax->characters = nullptr;
    sax->ignorableWhitespace = nullptr;
    sax->cdataBlock = nullptr;
    sax->comment = nullptr;
    sax->processingInstruction = nullptr;
    sax->reference = nullptr;
    ctxt->_private = nullptr;
    // The descriptor stays open: the file is still to be put in place.
    xmlDocPtr doc = xmlCtxtReadFd(ctxt, fd, nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool ok = doc && ctxt->wellFormed && ctxt->_private != nullptr;
    if (doc) xmlFreeDoc(doc);
    xmlFreeParserCtxt(ctxt);
    return ok;
}

// Puts the replacement's temporary file in place when what it holds reads
// again: 0; -3 (the previous file left as it was, the temporary file gone).
int commitWhenReadable(FileReplacement& file) {
    if (!readsAgain(file.Descriptor())) return -3;
    return file.Commit() == kReplaceOk ? 0 : -3;
}

int appendText(void* text, const char* bytes, int size) {
    static_cast<std::string*>(text)->append(bytes, size_t(size));
    return size;
}

// The document as the file holds it: pretty-printed, in Windows-1251. Written
// through an output of its own into one growing string (a dump into libxml2's
// own memory buffer copies its text again as it grows). False when it fails.
bool dumpDocument(xmlDocPtr document, std::string& text) {
    xmlCharEncodingHandlerPtr encoder = xmlFindCharEncodingHandler("windows-1251");
    if (!encoder) return false;
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(appendText, nullptr, &text, encoder);
    if (!out) return false;
    const int oldIndent = xmlIndentTreeOutput;
    xmlIndentTreeOutput = 1;
    const int written = xmlSaveFormatFileTo(out, document, "windows-1251", 1);  // closes out
    xmlIndentTreeOutput = oldIndent;
    return written > 0 && !text.empty();
}

}  // namespace

TZo_XML::TZo_XML() = default;

TZo_XML::~TZo_XML() { ReleaseDom(); }

void TZo_XML::setFileName(const std::string& name) {
    std::memset(FileName, 0, sizeof FileName);
    std::strncpy(FileName, name.c_str(), sizeof FileName - 1);
}

void TZo_XML::CreateDom() {
    Opened = 0;
    std::memset(FileName, 0, sizeof FileName);
    Document = xmlNewDoc(BAD_CAST "1.0");
    if (!Document) platform::showMessage(ZO_RU("Не создан экземпляр XML_Doc"));
}

void TZo_XML::ReleaseDom() {
    MarkElement = nullptr;
    CurrentElement = nullptr;
    CurrentNode = nullptr;
    if (Document) xmlFreeDoc(Document);
    Document = nullptr;
}

int TZo_XML::OpenFile(const std::string& fileName) {
    ReleaseDom();
    CreateDom();
    if (!Document) return -1;
    parseError_ = {};
    const std::string native = platform::nativePath(platform::withCurrentDir(fileName));
    // Only a regular file is read, opened so that a pipe cannot block: a
    // device, a pipe or a folder is refused as a missing file is.
    struct stat st {};
    const int fd = ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                       ? ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                       : -1;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        parseError_.code = XML_IO_LOAD_ERROR;
        parseError_.url = fileName;
        parseError_.reason = unreadableReason(native, error);
        ShowParseError();
        return -2;
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        ::close(fd);
        platform::showMessage(ZO_RU("Не создан экземпляр XML_Doc"));
        return -1;
    }
    FirstError first;
    ctxt->sax->entityDecl = refuseEntity;
    ctxt->sax->unparsedEntityDecl = refuseUnparsedEntity;
    xmlSetStructuredErrorFunc(&first, recordError);
    g_reading = &first;
    xmlDocPtr doc = xmlCtxtReadFd(ctxt, fd, native.c_str(), nullptr,
                                  XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    g_reading = nullptr;
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!doc || !xmlDocGetRootElement(doc) || first.seen) {
        const xmlError* err = first.seen ? &first.error : xmlCtxtGetLastError(ctxt);
        const std::string message = first.seen ? first.message : (err && err->message ? err->message : "");
        parseError_.code = err && err->code ? err->code : -1;
        parseError_.url = fileName;
        parseError_.reason = trimEnd(utf8ToCp1251(message));
        parseError_.line = err ? err->line : 0;
        parseError_.position = err ? err->int2 : 0;
        parseError_.text = lineOfFile(fd, parseError_.line);
        ::close(fd);
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(ctxt);
        ShowParseError();
        return -2;
    }
    ::close(fd);
    xmlFreeParserCtxt(ctxt);
    xmlFreeDoc(Document);
    Document = doc;
    dropBlankText(reinterpret_cast<xmlNodePtr>(Document));
    setFileName(fileName);
    Opened = 1;
    return 0;
}

namespace {

// True when the file is a regular file (not reached through a link) that
// holds exactly the text.
bool holdsExactly(const std::string& nativeName, const std::string& text) {
    const int fd = ::open(nativeName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) == text.size();
    char buffer[65536];
    for (size_t at = 0; same && at < text.size();) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, text.size() - at));
        if (n < 0 && errno == EINTR) continue;
        same = n > 0 && std::memcmp(buffer, text.data() + at, size_t(n)) == 0;
        at += n > 0 ? size_t(n) : 0;
    }
    ::close(fd);
    return same;
}

}  // namespace

int TZo_XML::SaveFile(const std::string& fileName) { return save(fileName, false); }

int TZo_XML::SaveFileWhenChanged(const std::string& fileName) { return save(fileName, true); }

int TZo_XML::save(const std::string& fileName, bool whenChanged) {
    if (!Document) {
        platform::showMessage(ZO_RU("Не создан экземпляр XML_Doc"));
        return -1;
    }
    if (!writableIn1251(reinterpret_cast<const xmlNode*>(Document)->children)) return -3;
    std::string text;
    if (!dumpDocument(Document, text)) return -3;
    const std::string target = platform::nativePath(platform::withCurrentDir(fileName));
    if (whenChanged && holdsExactly(target, text)) {
        setFileName(fileName);
        return 0;
    }
    // A temporary file beside the target renamed over it: a failed or
    // interrupted save leaves the previous file whole.
    FileReplacement file(target);
    if (file.Open() != kReplaceOk || !file.Write(text.data(), text.size()) || commitWhenReadable(file) != 0)
        return -3;
    setFileName(fileName);
    return 0;
}

int TZo_XML::NewDocument(const std::string& rootName) {
    ReleaseDom();
    CreateDom();
    if (!Document) return -1;
    if (!writableName(cp1251ToUtf8(rootName))) return -1;  // not a name the file could hold
    const std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                             "<!-- This document was created with Zo_xml unit. --> <" +
                             rootName + "/>";
    xmlDocPtr doc = xmlReadMemory(text.data(), int(text.size()), nullptr, nullptr,
                                  XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return -1;  // not a valid element name: no document
    xmlFreeDoc(Document);
    Document = doc;
    dropBlankText(reinterpret_cast<xmlNodePtr>(Document));
    Opened = 1;
    return 0;
}

void TZo_XML::GoRoot() { CurrentElement = (Document && Opened) ? xmlDocGetRootElement(Document) : nullptr; }

void TZo_XML::SetMark() {
    if (CurrentElement) MarkElement = CurrentElement;
}

void TZo_XML::GoMark() { CurrentElement = MarkElement; }

int TZo_XML::GoToPath(const std::string& path) {
    CurrentElement = nullptr;
    if (!Document) return -2;
    if (!Opened) return -3;
    const std::string first = GetDelimField(path, '/', 1);
    if (first.empty()) return -1;
    xmlNodePtr node = xmlDocGetRootElement(Document);
    if (!nameIs(node, cp1251ToUtf8(first))) return -4;
    for (int k = 2;; ++k) {
        const std::string token = GetDelimField(path, '/', k);
        if (token.empty()) break;
        const std::string wanted = cp1251ToUtf8(token);
        xmlNodePtr child = node->children;
        if (!child) return -5;
        // The walk stops at the first sibling that is not an element.
        while (child && !nameIs(child, wanted)) {
            child = child->next;
            if (child && !isElement(child)) child = nullptr;
        }
        if (!child) return -6;
        node = child;
    }
    CurrentElement = node;
    return 0;
}

int TZo_XML::GoFirstChild() {
    if (!Document) return -1;
    if (!CurrentElement) return -2;
    // Only an element has children of its own: those of an entity reference
    // belong to the entity's declaration in the document type.
    if (!isElement(CurrentElement) || !CurrentElement->children) return -4;
    CurrentElement = CurrentElement->children;
    return 0;
}

int TZo_XML::GoNextSibling() {
    if (!Document) return -1;
    if (!CurrentElement || !CurrentElement->next) return -2;
    if (!isElement(CurrentElement->next)) return -3;
    CurrentElement = CurrentElement->next;
    return 0;
}

int TZo_XML::GoParent() {
    if (!Document) return -1;
    if (!CurrentElement) return -2;
    xmlNodePtr parent = CurrentElement->parent;
    // The document node above the document element is not an element: no parent.
    if (!parent || parent->type == XML_DOCUMENT_NODE) {
        CurrentElement = nullptr;
        return -4;
    }
    CurrentElement = parent;
    return 0;
}

int TZo_XML::GoFirstNode() {
    CurrentNode = nullptr;
    if (!Document) return -1;
    if (!CurrentElement) return -2;
    if (!CurrentElement->children) return -4;
    CurrentNode = CurrentElement->children;
    return 0;
}

int TZo_XML::GoNextNode() {
    if (!Document) return -1;
    if (!CurrentNode) return -2;
    if (!CurrentNode->next) return -4;
    CurrentNode = CurrentNode->next;
    return 0;
}

std::string TZo_XML::GetCommentText() const {
    if (!CurrentNode || CurrentNode->type != XML_COMMENT_NODE) return {};
    return fromXml(CurrentNode->content);
}

std::string TZo_XML::GetNodeName() const {
    if (!CurrentElement) return {};
    switch (CurrentElement->type) {
        case XML_ELEMENT_NODE: return fromXml(CurrentElement->name);
        case XML_COMMENT_NODE: return "#comment";
        case XML_TEXT_NODE: return "#text";
        case XML_CDATA_SECTION_NODE: return "#cdata-section";
        default: return fromXml(CurrentElement->name);
    }
}

std::string TZo_XML::GetAttribute(const std::string& name) const {
    if (!isElement(CurrentElement)) return {};
    xmlChar* value = xmlGetProp(CurrentElement, X(cp1251ToUtf8(name)));
    std::string out = fromXml(value);
    if (value) xmlFree(value);
    return out;
}

int TZo_XML::SetAttribute(const std::string& name, const std::string& value) {
    if (!isElement(CurrentElement)) return -2;
    const std::string utf8Name = cp1251ToUtf8(name);
    if (!writableName(utf8Name) || utf8Name == "xmlns") return -3;
    return xmlSetProp(CurrentElement, X(utf8Name), X(xmlSafe(value))) ? 0 : -3;
}

int TZo_XML::RemoveAttribute(const std::string& name) {
    if (!isElement(CurrentElement)) return -2;
    xmlAttrPtr attr = xmlHasProp(CurrentElement, X(cp1251ToUtf8(name)));
    if (attr) xmlRemoveProp(attr);
    return 0;
}

int TZo_XML::AddChild(const std::string& name) {
    if (!Document) return -1;
    if (!isElement(CurrentElement)) return -2;
    const std::string utf8Name = cp1251ToUtf8(name);
    if (!writableName(utf8Name)) return -3;
    xmlNodePtr child = xmlNewChild(CurrentElement, nullptr, X(utf8Name), nullptr);
    if (!child) return -3;
    CurrentElement = child;
    return 0;
}

int TZo_XML::RemoveChildren() {
    if (!Document) return -1;
    if (!isElement(CurrentElement)) return -2;
    while (xmlNodePtr child = CurrentElement->children) {
        if (isInside(MarkElement, child)) MarkElement = nullptr;
        if (isInside(CurrentNode, child)) CurrentNode = nullptr;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    return 0;
}

namespace {
int countNamed(const xmlNode* node, const std::string& utf8Name) {
    if (!isElement(node)) return 0;
    int n = nameIs(node, utf8Name) ? 1 : 0;
    for (const xmlNode* c = node->children; c; c = c->next) n += countNamed(c, utf8Name);
    return n;
}

xmlNodePtr findNamed(xmlNodePtr node, const std::string& utf8Name) {
    if (!isElement(node)) return nullptr;
    if (nameIs(node, utf8Name)) return node;
    for (xmlNodePtr c = node->children; c; c = c->next)
        if (xmlNodePtr found = findNamed(c, utf8Name)) return found;
    return nullptr;
}
}  // namespace

int TZo_XML::CountElements(xmlNodePtr node, const std::string& name) const {
    return node ? countNamed(node, cp1251ToUtf8(name)) : 0;
}

int TZo_XML::CountFromMark(const std::string& name) const { return CountElements(MarkElement, name); }

int TZo_XML::FindElement(xmlNodePtr node, const std::string& name) {
    if (!node) return -1;
    xmlNodePtr found = findNamed(node, cp1251ToUtf8(name));
    if (!found) return -2;
    CurrentElement = found;
    return 0;
}

int TZo_XML::FindFromMark(const std::string& name) { return FindElement(MarkElement, name); }

void TZo_XML::ShowParseError() const {
    if (parseError_.code == 0) return;
    std::string reason = parseError_.reason;
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    const std::string text = ZO_RU("Ошибка открытия XML файла.") + "\r\n" + ZO_RU("Файл    : ") +
                             printable(parseError_.url, false) + "\r\n" + ZO_RU("Код : ") +
                             std::to_string(parseError_.code) + "\r\n" + ZO_RU("Ошибка : ") +
                             printable(reason, false) + "\r\n" + ZO_RU("Текст   : ") +
                             parseError_.text + "\r\n" + ZO_RU("Строка : ") + std::to_string(parseError_.line) +
                             "\r\n" + ZO_RU("Позиция: ") + std::to_string(parseError_.position);
    platform::showMessage(text, {}, platform::MessageKind::Error);
}

void ShowSystemError(const std::string& callerText, int errorCode) {
    const std::string system = utf8ToCp1251(std::strerror(errorCode)).substr(0, 512);
    platform::showMessage(callerText + "\r\n" + system, {}, platform::MessageKind::Error);
}

std::string ReadRootAttribute(const std::string& fileName, const std::string& attributeName) {
    TZo_XML xml;
    if (xml.OpenFile(fileName) != 0) return {};
    xml.GoRoot();
    xml.SetMark();
    return xml.GetAttribute(attributeName);
}

namespace {

// Walks the children of the current element for `element` whose NAME is `name`.
bool findChildByName(TZo_XML& xml, const std::string& element, const std::string& name) {
    do {
        if (xml.GetNodeName() == element && xml.GetAttribute("NAME") == name) return true;
    } while (xml.GoNextSibling() == 0);
    return false;
}

}  // namespace

int ReadBlockComments(const char* path, std::vector<std::string>* list) {
    if (!path || !list) return -1;
    std::string p = path;
    if (!p.empty() && p.front() == '\\') p.erase(0, 1);
    const platform::FileAndRest split = platform::splitFileAndElements(p);
    if (split.file.empty()) return -100;
    const std::string& rest = split.rest;
    list->clear();
    TZo_XML xml;
    if (xml.OpenFile(split.file) != 0) return -5;
    if (xml.GoToPath(rest) != 0) {
        const std::string top = GetDelimField(rest, '/', 1);
        xml.GoRoot();
        xml.SetMark();
        if (top.empty() || xml.CountFromMark(top) != 1) return -5;
        xml.FindFromMark(top);
        xml.SetMark();
        int k = 2;
        for (; !GetDelimField(rest, '/', k + 1).empty(); ++k) {
            if (xml.GoFirstChild() != 0) return -100;
            if (!findChildByName(xml, "GROUP", GetDelimField(rest, '/', k))) return -6;
        }
        const std::string block = GetDelimField(rest, '/', k);
        if (block.empty() || xml.GoFirstChild() != 0) return -7;
        if (!findChildByName(xml, "BLOCK", block)) return -7;
    }
    if (xml.GoFirstNode() != 0) return 0;
    do {
        const std::string comment = xml.GetCommentText();
        if (!comment.empty()) list->push_back(comment);
    } while (xml.GoNextNode() == 0);
    return 0;
}

}  // namespace zo

// ---------------------------------------------------------------------------
// TZo_XMLWriter

namespace zo {

namespace {

// What each byte of a Windows-1251 attribute value becomes in the file, taken
// once from the document writer itself, so the two cannot differ: control
// characters made '?', markup and line ends escaped, the rest as it is.
struct AttributeBytes {
    std::string text[256];
    bool same[256] = {};  // the byte stands for itself
};

const AttributeBytes& attributeBytes() {
    static const AttributeBytes table = [] {
        AttributeBytes bytes;
        TZo_XML xml;
        if (xml.NewDocument("t") != 0) return bytes;
        xml.GoRoot();
        for (int b = 0; b < 256; ++b) xml.SetAttribute("a" + std::to_string(b), std::string(1, char(b)));
        std::string text;
        if (!dumpDocument(xml.Document, text)) return bytes;
        for (int b = 0; b < 256; ++b) {
            const std::string key = " a" + std::to_string(b) + "=\"";
            const size_t start = text.find(key);
            if (start == std::string::npos) continue;
            const size_t from = start + key.size();
            const size_t end = text.find('"', from);
            if (end != std::string::npos) bytes.text[b] = text.substr(from, end - from);
            bytes.same[b] = bytes.text[b] == std::string(1, char(b));
        }
        return bytes;
    }();
    return table;
}

// The value as the file holds it, after the text: bytes that stand for
// themselves are copied in runs.
void appendEscaped(std::string& text, std::string_view value) {
    const AttributeBytes& bytes = attributeBytes();
    size_t run = 0;
    for (size_t k = 0; k < value.size(); ++k) {
        const auto b = static_cast<unsigned char>(value[k]);
        if (bytes.same[b]) continue;
        text.append(value.data() + run, k - run);
        text += bytes.text[b];
        run = k + 1;
    }
    text.append(value.data() + run, value.size() - run);
}

// A name of ASCII letters, digits, '_', '-' and '.' that starts with a letter
// or '_': one the reader takes back (libxml2 checks such names the same way
// before anything else).
bool plainName(std::string_view name) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (name.empty() || !letter(name[0])) return false;
    for (const char c : name.substr(1))
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
    return true;
}

void appendIndent(std::string& text, size_t level) { text.append(2 * level, ' '); }

// What the writer holds before it goes into the file: one piece.
constexpr size_t kPieceBytes = 64 * 1024;

std::string nativeTarget(const std::string& fileName) {
    return platform::nativePath(platform::withCurrentDir(fileName));
}

}  // namespace

// Whether a name may stand as an element's or an attribute's name, once per
// name that is not plain.
struct TZo_XMLWriter::NameCache {
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    std::unordered_map<std::string, bool, Hash, std::equal_to<>> valid;
};

// The temporary file the text goes into as it is written.
struct TZo_XMLWriter::Output {
    explicit Output(std::string target) : file(std::move(target)) {}
    FileReplacement file;
    bool failed = false;  // not made, or a piece not written: the save fails
};

TZo_XMLWriter::TZo_XMLWriter() : names_(new NameCache) {}

TZo_XMLWriter::~TZo_XMLWriter() { delete names_; }

bool TZo_XMLWriter::validName(std::string_view name) {
    if (plainName(name)) return true;
    if (const auto it = names_->valid.find(name); it != names_->valid.end()) return it->second;
    const bool valid = writableName(cp1251ToUtf8(std::string(name)));
    names_->valid.emplace(std::string(name), valid);
    return valid;
}

int TZo_XMLWriter::NewDocument(const std::string& rootName) {
    output_.reset();
    streamed_ = false;
    text_.clear();
    open_.clear();
    pending_.clear();
    attributes_.clear();
    document_ = finished_ = broken_ = current_ = false;
    if (!validName(rootName)) return -1;
    text_ += "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
             "<!-- This document was created with Zo_xml unit. -->\n";
    open_.push_back({rootName, false});
    document_ = current_ = true;
    return 0;
}

int TZo_XMLWriter::WriteInto(const std::string& fileName) {
    if (!document_ || finished_ || output_ || streamed_) return -1;
    output_ = std::make_unique<Output>(nativeTarget(fileName));
    streamed_ = true;
    // A start tag can be longer than a piece; most are far shorter.
    text_.reserve(2 * kPieceBytes);
    if (output_->file.Open() != kReplaceOk) {
        output_->failed = true;
        return -3;
    }
    return 0;
}

void TZo_XMLWriter::writeOut(bool all) {
    if (!output_ || (!all && text_.size() < kPieceBytes)) return;
    if (!output_->failed && !output_->file.Write(text_.data(), text_.size())) output_->failed = true;
    text_.clear();
}

void TZo_XMLWriter::startTag(bool withChildren) {
    Open& element = open_.back();
    appendIndent(text_, open_.size() - 1);
    text_ += '<';
    text_ += element.name;
    text_ += pending_;
    pending_.clear();
    attributes_.clear();
    text_ += withChildren ? ">\n" : "/>\n";
    element.started = true;
    writeOut(false);
}

// Ends the last open element; the one before it becomes the current element.
void TZo_XMLWriter::endCurrent() {
    Open& element = open_.back();
    if (!element.started) {
        startTag(false);
    } else {
        appendIndent(text_, open_.size() - 1);
        text_ += "</";
        text_ += element.name;
        text_ += ">\n";
        writeOut(false);
    }
    open_.pop_back();
}

int TZo_XMLWriter::AddChild(const std::string& name) {
    if (!document_ || finished_) return -1;
    if (!current_) return -2;
    if (!validName(name)) return -3;
    if (!open_.back().started) startTag(true);
    open_.push_back({name, false});
    return 0;
}

std::string_view TZo_XMLWriter::attributeName(const Attribute& a) const {
    return std::string_view(pending_).substr(a.start + 1, a.nameSize);
}

TZo_XMLWriter::Attribute* TZo_XMLWriter::findAttribute(std::string_view name) {
    for (Attribute& a : attributes_)
        if (attributeName(a) == name) return &a;
    return nullptr;
}

// The attributes after this one move by delta bytes in the pending text.
void TZo_XMLWriter::moveAttributesAfter(const Attribute& a, ptrdiff_t delta) {
    for (size_t k = size_t(&a - attributes_.data()) + 1; k < attributes_.size(); ++k) {
        attributes_[k].start = size_t(ptrdiff_t(attributes_[k].start) + delta);
        attributes_[k].end = size_t(ptrdiff_t(attributes_[k].end) + delta);
    }
}

int TZo_XMLWriter::SetAttribute(std::string_view name, std::string_view value) {
    if (!document_ || finished_ || !current_) return -2;
    if (!validName(name) || name == "xmlns") return -3;
    if (open_.back().started) {
        broken_ = true;  // its start tag is written already
        return -2;
    }
    if (Attribute* a = findAttribute(name)) {
        // A new value in the old one's place: the attribute keeps its position.
        std::string escaped;
        appendEscaped(escaped, value);
        const size_t from = a->start + 1 + a->nameSize + 2;
        const size_t size = a->end - 1 - from;
        pending_.replace(from, size, escaped);
        const ptrdiff_t delta = ptrdiff_t(escaped.size()) - ptrdiff_t(size);
        a->end = size_t(ptrdiff_t(a->end) + delta);
        moveAttributesAfter(*a, delta);
        return 0;
    }
    Attribute a;
    a.start = pending_.size();
    a.nameSize = name.size();
    pending_ += ' ';
    pending_ += name;
    pending_ += "=\"";
    appendEscaped(pending_, value);
    pending_ += '"';
    a.end = pending_.size();
    attributes_.push_back(a);
    return 0;
}

int TZo_XMLWriter::RemoveAttribute(std::string_view name) {
    if (!document_ || finished_ || !current_) return -2;
    if (open_.back().started) {
        broken_ = true;
        return -2;
    }
    if (Attribute* a = findAttribute(name)) {
        const size_t size = a->end - a->start;
        pending_.erase(a->start, size);
        moveAttributesAfter(*a, -ptrdiff_t(size));
        attributes_.erase(attributes_.begin() + (a - attributes_.data()));
    }
    return 0;
}

int TZo_XMLWriter::GoParent() {
    if (!document_ || finished_) return -1;
    if (!current_) return -2;
    if (open_.size() == 1) {
        // Above the document element there is no element.
        current_ = false;
        return -4;
    }
    endCurrent();
    return 0;
}

void TZo_XMLWriter::finish() {
    if (!document_ || finished_) return;
    while (!open_.empty()) endCurrent();
    finished_ = true;
    current_ = false;
}

const std::string& TZo_XMLWriter::Text() {
    finish();
    return text_;
}

int TZo_XMLWriter::SaveFile(const std::string& fileName) {
    if (!document_) {
        platform::showMessage(ZO_RU("Не создан экземпляр XML_Doc"));
        return -1;
    }
    finish();
    const std::string target = nativeTarget(fileName);
    // Replaced as TZo_XML::SaveFile replaces it: a failed or interrupted save
    // leaves the previous file whole, and no temporary file.
    if (output_) {
        std::unique_ptr<Output> output;
        if (!broken_ && output_->file.Target() == target) writeOut(true);
        output = std::move(output_);
        if (broken_ || output->failed || output->file.Target() != target) return -3;
        return commitWhenReadable(output->file);
    }
    // The text went into a file that was put in place or given up: it is not here any more.
    if (broken_ || streamed_) return -3;
    FileReplacement file(target);
    if (file.Open() != kReplaceOk || !file.Write(text_.data(), text_.size())) return -3;
    return commitWhenReadable(file);
}

}  // namespace zo
