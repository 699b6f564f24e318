// The XML wrapper opening arbitrary bytes: every walk, query and edit the
// system makes over a document, then saving it. What the wrapper saved must
// open again and read the same.

#include "common/ConvStr.h"
#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "support/FuzzSupport.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>
#include <vector>

using namespace zo;
using namespace zo::fuzz;

namespace {

constexpr int kMaxVisits = 400;

struct Walk {
    std::vector<std::string> summary;  // what a walk read, to compare after saving
    std::vector<std::string> names;
    int visits = 0;
};

// Depth-first over elements with the wrapper's own moves, reading what the
// readers of the system read.
void walk(TZo_XML& xml, Walk& w, int depth) {
    do {
        if (++w.visits > kMaxVisits || depth > 40) return;
        const std::string name = xml.GetNodeName();
        w.summary.push_back(name);
        if (xml.CurrentElement->type == XML_ELEMENT_NODE) {
            // Only a name Windows-1251 holds can be asked for again.
            const bool lossless = platform::cp1251ToUtf8(name) == reinterpret_cast<const char*>(xml.CurrentElement->name);
            if (lossless && w.names.size() < 16) w.names.push_back(name);
            for (xmlAttrPtr a = xml.CurrentElement->properties; a; a = a->next) {
                const std::string attribute = xml.GetAttribute(reinterpret_cast<const char*>(a->name));
                w.summary.push_back("@" + attribute);
            }
            w.summary.push_back(xml.GetAttribute("NAME"));
        }
        if (xml.GoFirstNode() == 0) {
            int nodes = 0;
            do {
                w.summary.push_back("#" + xml.GetCommentText());
            } while (++nodes < 64 && xml.GoNextNode() == 0);
        }
        if (xml.GoFirstChild() == 0) {
            walk(xml, w, depth + 1);
            if (xml.GoParent() != 0) return;
        }
    } while (xml.GoNextSibling() == 0);
}

bool lossless(const xmlChar* text) {
    bool ok = true;
    if (text) platform::utf8ToCp1251(reinterpret_cast<const char*>(text), &ok);
    return ok;
}

// Whether every name, comment, processing instruction and CDATA section can be
// written in Windows-1251 (values and character data can: as references).
bool holdsIn1251(const xmlNode* node) {
    for (; node; node = node->next) {
        switch (node->type) {
            case XML_ELEMENT_NODE:
                if (!lossless(node->name)) return false;
                for (const xmlAttr* a = node->properties; a; a = a->next)
                    if (!lossless(a->name)) return false;
                break;
            case XML_COMMENT_NODE:
            case XML_CDATA_SECTION_NODE:
            case XML_PI_NODE:
                if (!lossless(node->name) || !lossless(node->content)) return false;
                break;
            case XML_DTD_NODE:
            case XML_ELEMENT_DECL:
            case XML_ATTRIBUTE_DECL:
            case XML_ENTITY_DECL:
                if (!lossless(node->name)) return false;
                break;
            default:
                break;
        }
        if (node->type != XML_ENTITY_REF_NODE && !holdsIn1251(node->children)) return false;
    }
    return true;
}

// Whether the document written in Windows-1251 parses again (the parser has
// limits of its own, for example very long non-ASCII names in a converted
// encoding).
bool reads1251Form(xmlDocPtr doc) {
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc, &mem, &size, "windows-1251", 1);
    if (!mem) return false;
    xmlDocPtr again = xmlReadMemory(reinterpret_cast<const char*>(mem), size, nullptr, nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool ok = again && xmlDocGetRootElement(again);
    if (again) xmlFreeDoc(again);
    xmlFree(mem);
    return ok;
}

Walk walkDocument(TZo_XML& xml) {
    Walk w;
    xml.GoRoot();
    xml.SetMark();
    if (xml.CurrentElement) walk(xml, w, 0);
    return w;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = Scratch() + "/input.xml";
    const std::string saved = Scratch() + "/saved.xml";
    WriteFile(input, data, size);
    RemoveFile(saved);

    TZo_XML xml;
    if (xml.OpenFile(input) != 0) {
        ZO_FUZZ_CHECK(xml.CurrentElement == nullptr, "a failed open leaves no current element");
        return 0;
    }
    const Walk first = walkDocument(xml);

    // Queries by the names the document holds.
    for (const std::string& name : first.names) {
        xml.GoRoot();
        xml.SetMark();
        const int count = xml.CountFromMark(name);
        ZO_FUZZ_CHECK(count >= 1, name);
        ZO_FUZZ_CHECK(xml.FindFromMark(name) == 0, name);
        ZO_FUZZ_CHECK(xml.GetNodeName() == name, name);
        xml.GoToPath(first.names.front() + "/" + name);
        xml.GoToPath(name + "/" + name + "/" + name);
    }
    std::vector<std::string> comments;
    ReadBlockComments((input + "/" + (first.names.empty() ? "" : first.names.front()) + "/x/y").c_str(), &comments);
    (void)ReadRootAttribute(input, first.names.empty() ? "NAME" : first.names.back());

    // Saving what was read must succeed unless the document holds markup a
    // Windows-1251 file cannot hold, and give a document that reads the same.
    const int savedResult = xml.SaveFile(saved);
    ZO_FUZZ_CHECK(savedResult == 0 || !holdsIn1251(reinterpret_cast<xmlNodePtr>(xml.Document)->children) ||
                      !reads1251Form(xml.Document),
                  "a document that was read does not save");
    ZO_FUZZ_CHECK(savedResult == 0 || !FileThere(saved), "a failed save wrote the file");
    if (savedResult != 0) return 0;
    TZo_XML again;
    ZO_FUZZ_CHECK(again.OpenFile(saved) == 0, "a saved document does not open again");
    const Walk second = walkDocument(again);
    ZO_FUZZ_CHECK(first.summary == second.summary, "a saved document reads differently");

    // Edits the writers make: values that came out of the document go back
    // in, new elements are added, children removed; saved again.
    again.GoRoot();
    for (const std::string& name : first.names) {
        const std::string value = again.GetAttribute(name);
        again.SetAttribute(name, value + name);
        if (again.AddChild(name) != 0) break;
        again.SetAttribute(name, value);
        again.GoParent();
    }
    again.GoRoot();
    if (again.GoFirstChild() == 0) again.RemoveChildren();
    again.GoRoot();
    again.SetMark();
    const Walk edited = walkDocument(again);
    if (again.SaveFile(saved) != 0) return 0;
    TZo_XML third;
    ZO_FUZZ_CHECK(third.OpenFile(saved) == 0, "an edited document does not open again");
    ZO_FUZZ_CHECK(walkDocument(third).summary == edited.summary, "an edited document reads differently");
    return 0;
}
