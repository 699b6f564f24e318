#pragma once
// Queries of attribute values from an XML file named together with an element
// path in one text, "file/ROOT/element/...": the file part is the shortest
// "/"-prefix that names an existing file (a leading "\" means the current
// folder), the rest is the element path from the document element on.
//
// The program uses XmlQueryList and XmlQueryValue itself; the callback forms go
// to builder plug-ins (TBuildParams.ReadXmlList and ReadXmlValue). Texts are
// Windows-1251.

#include "common/My_XML.h"
#include "common/abi/StringList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zo::configurator {

enum XmlQueryResult : int32_t {
    kXmlQueryOk = 0,
    kXmlQueryNilArgument = -1,  // a needed argument is nil
    kXmlQueryNoFile = -2,       // the query has no file part
    kXmlQueryOpenFailed = -3,   // the file could not be opened (the parse-error box was shown)
    kXmlQueryNoElement = -4,    // the element path was not found
    kXmlQueryNoValue = -5,      // value query: the attribute is missing or empty
    kXmlQueryTooLong = -6,      // value callback: the value does not fit its field
};

// The field the value callback copies into: 260 characters and the terminator.
inline constexpr size_t kXmlQueryValueField = 261;

// The non-empty Attribute values of the children named ChildName of the
// element, in document order, into List (cleared first). Xml, when given, is
// an open document used as it stands (the file part is then not opened); it
// is not freed.
int32_t XmlQueryList(TZo_XML* xml, const char* query, const char* childName, std::vector<std::string>* list,
                     const char* attribute);

// The Attribute value of the element into Value (emptied first).
int32_t XmlQueryValue(TZo_XML* xml, const char* query, const char* attribute, std::string* value);

}  // namespace zo::configurator

extern "C" {
// XmlQueryList for TBuildParams.ReadXmlList: xml is a TZo_XML or nil; the list
// is the caller's, filled through its own table.
int32_t XmlQueryListCallback(void* xml, const char* query, const char* childName, const char* attribute,
                             TZoStringList* list);

// XmlQueryValue for TBuildParams.ReadXmlValue: *value is set, whatever the
// result, to one buffer of the program holding the value (empty on failure),
// valid until the next call. A value longer than 260 characters gives
// kXmlQueryTooLong and an empty text.
int32_t XmlQueryValueCallback(void* xml, const char* query, const char* attribute, const char** value);
}
