#pragma once
// TZo_XML: the one way the system reads and writes XML. One document, one
// current element, one mark and one current node of any kind, answering with
// small integer codes. Names and values are Windows-1251 on this side; the
// document itself is libxml2's (UTF-8) and is converted at this boundary.

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zo {

class TZo_XML {
public:
    TZo_XML();
    ~TZo_XML();
    TZo_XML(const TZo_XML&) = delete;
    TZo_XML& operator=(const TZo_XML&) = delete;

    void CreateDom();
    void ReleaseDom();

    // 0 loaded; -2 parse error (box shown; a missing file too); -1 no document.
    int OpenFile(const std::string& fileName);
    // 0 saved (pretty-printed, two blanks a level, Windows-1251, written to a
    // temporary file and renamed); -1 no document; -3 the file could not be
    // written (the previous file is left as it was).
    int SaveFile(const std::string& fileName);
    int NewDocument(const std::string& rootName);

    void GoRoot();
    void SetMark();
    void GoMark();
    int GoToPath(const std::string& path);
    int GoFirstChild();
    int GoNextSibling();
    int GoParent();
    int GoFirstNode();
    int GoNextNode();

    std::string GetCommentText() const;
    std::string GetNodeName() const;
    std::string GetAttribute(const std::string& name) const;
    int SetAttribute(const std::string& name, const std::string& value);
    int RemoveAttribute(const std::string& name);
    int AddChild(const std::string& name);
    int RemoveChildren();

    int CountElements(xmlNodePtr node, const std::string& name) const;
    int CountFromMark(const std::string& name) const;
    int FindElement(xmlNodePtr node, const std::string& name);
    int FindFromMark(const std::string& name);

    void ShowParseError() const;
    const char* GetFileName() const { return FileName; }

    // The parse-error record of the last load (code 0: none).
    struct ParseError {
        int code = 0;
        std::string url;     // as given to OpenFile
        std::string reason;  // Windows-1251
        std::string text;    // the line of the file the error is on
        int line = 0;
        int position = 0;
    };
    const ParseError& LastParseError() const { return parseError_; }

    xmlDocPtr Document = nullptr;
    uint8_t Opened = 0;
    char FileName[256] = {};
    xmlNodePtr MarkElement = nullptr;
    xmlNodePtr CurrentElement = nullptr;
    xmlNodePtr CurrentNode = nullptr;

private:
    void setFileName(const std::string& name);
    ParseError parseError_;
};

// The text TZo_XML::SaveFile writes for a document made by NewDocument and
// then built only with AddChild, SetAttribute, RemoveAttribute and GoParent,
// written as the document is described, without building it: one pass and
// one copy of the text however large the document. Each operation answers as
// TZo_XML's does. Elements hold elements and attributes only.
class TZo_XMLWriter {
public:
    TZo_XMLWriter();
    ~TZo_XMLWriter();
    TZo_XMLWriter(const TZo_XMLWriter&) = delete;
    TZo_XMLWriter& operator=(const TZo_XMLWriter&) = delete;

    // The declaration, the creation comment and the root, which becomes the
    // current element (TZo_XML's NewDocument and GoRoot). 0; -1 a root name a
    // file cannot hold.
    int NewDocument(const std::string& rootName);
    int AddChild(const std::string& name);
    int SetAttribute(const std::string& name, const std::string& value);
    int RemoveAttribute(const std::string& name);
    int GoParent();
    // Ends every open element and writes the text as TZo_XML::SaveFile does:
    // 0 saved; -1 no document; -3 the file could not be written (the
    // previous file is left as it was).
    int SaveFile(const std::string& fileName);
    // The whole text as SaveFile writes it (every open element ended); empty
    // without a document.
    const std::string& Text();
    // Room for a text of this many bytes, so that it grows in one piece.
    void Reserve(size_t bytes) { text_.reserve(bytes); }

private:
    struct Attribute {
        std::string name;   // Windows-1251, as the file holds it
        std::string value;  // escaped, as the file holds it
    };
    struct Open {
        std::string name;
        bool started = false;  // its start tag is in the text
    };
    void startTag(bool withChildren);
    void endCurrent();
    void finish();
    bool validName(const std::string& name);

    std::string text_;
    std::vector<Open> open_;
    std::vector<Attribute> attributes_;  // of the current element while its start tag is not written
    bool current_ = false;               // the last open element is the current element
    bool document_ = false;
    bool finished_ = false;
    bool broken_ = false;  // asked for what the text can no longer hold: SaveFile refuses
    struct NameCache;
    NameCache* names_;
};

// The system's text for an error code (strerror here) in a message box:
// caller text, CR LF, system text.
void ShowSystemError(const std::string& callerText, int errorCode);

// The attribute of the document element of a file; empty when the open fails.
std::string ReadRootAttribute(const std::string& fileName, const std::string& attributeName);

// The non-empty comments directly inside a block of an element library file,
// in order. Path: file/ROOT/element... or file/TOP/GROUP.../BLOCK. Results: 0;
// -1 nil path or list; -100 empty file part or a level without children;
// -5 the file does not open or the top element is not unique; -6 group not
// found; -7 block not found.
int ReadBlockComments(const char* path, std::vector<std::string>* list);

}  // namespace zo
