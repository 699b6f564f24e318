#include "configurator/shell/XmlQuery.h"

#include "common/StringList.h"
#include "platform/Paths.h"

#include <cstring>
#include <exception>
#include <memory>

namespace zo::configurator {

namespace {

// The document a query reads: the caller's, or one opened from the file part
// and freed with this object.
class QueryDocument {
public:
    // result: 0, or the query's failure code.
    QueryDocument(TZo_XML* given, const char* query, int32_t& result) {
        const platform::FileAndRest parts = platform::splitFileAndElements(query);
        std::string file = parts.file;
        if (!file.empty() && file.front() == '\\') file.erase(0, 1);
        elementPath_ = parts.rest;
        if (file.empty()) {
            result = kXmlQueryNoFile;
            return;
        }
        if (given) {
            xml_ = given;
        } else {
            owned_ = std::make_unique<TZo_XML>();
            if (owned_->OpenFile(file) != 0) {
                result = kXmlQueryOpenFailed;
                return;
            }
            xml_ = owned_.get();
        }
        result = xml_->GoToPath(elementPath_) == 0 ? kXmlQueryOk : kXmlQueryNoElement;
    }

    TZo_XML& xml() { return *xml_; }

private:
    std::unique_ptr<TZo_XML> owned_;
    TZo_XML* xml_ = nullptr;
    std::string elementPath_;
};

}  // namespace

int32_t XmlQueryList(TZo_XML* xml, const char* query, const char* childName, std::vector<std::string>* list,
                     const char* attribute) {
    if (!query || !childName || !attribute || !list) return kXmlQueryNilArgument;
    list->clear();
    int32_t result = kXmlQueryOk;
    QueryDocument document(xml, query, result);
    if (result != kXmlQueryOk) return result;
    TZo_XML& doc = document.xml();
    if (doc.GoFirstChild() != 0) return kXmlQueryOk;
    do {
        if (doc.GetNodeName() != childName) continue;
        std::string text = doc.GetAttribute(attribute);
        if (!text.empty()) list->push_back(std::move(text));
    } while (doc.GoNextSibling() == 0);
    return kXmlQueryOk;
}

int32_t XmlQueryValue(TZo_XML* xml, const char* query, const char* attribute, std::string* value) {
    if (value) value->clear();
    if (!query || !attribute || !value) return kXmlQueryNilArgument;
    int32_t result = kXmlQueryOk;
    QueryDocument document(xml, query, result);
    if (result != kXmlQueryOk) return result;
    *value = document.xml().GetAttribute(attribute);
    return value->empty() ? kXmlQueryNoValue : kXmlQueryOk;
}

}  // namespace zo::configurator

using namespace zo::configurator;

extern "C" int32_t XmlQueryListCallback(void* xml, const char* query, const char* childName, const char* attribute,
                                        TZoStringList* list) {
    try {
        if (!list || !list->Clear || !list->Add) return kXmlQueryNilArgument;
        list->Clear(list);
        std::vector<std::string> items;
        const int32_t result = XmlQueryList(static_cast<zo::TZo_XML*>(xml), query, childName, &items, attribute);
        for (const std::string& item : items) list->Add(list, item.c_str());
        return result;
    } catch (const std::exception&) {
        return kXmlQueryOpenFailed;
    }
}

extern "C" int32_t XmlQueryValueCallback(void* xml, const char* query, const char* attribute, const char** value) {
    static char buffer[kXmlQueryValueField];
    buffer[0] = '\0';
    if (!value) return kXmlQueryNilArgument;
    *value = buffer;
    try {
        std::string text;
        int32_t result = XmlQueryValue(static_cast<zo::TZo_XML*>(xml), query, attribute, &text);
        if (result == kXmlQueryOk && text.size() >= sizeof buffer) result = kXmlQueryTooLong;
        if (result == kXmlQueryOk) std::memcpy(buffer, text.c_str(), text.size() + 1);
        return result;
    } catch (const std::exception&) {
        return kXmlQueryOpenFailed;
    }
}
