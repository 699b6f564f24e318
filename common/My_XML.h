#pragma once
// TZo_XML: the one way the system reads and writes XML. One document, one
// current element, one mark and one current node of any kind, answering with
// small integer codes. Names and values are Windows-1251 on this side; the
// document itself is libxml2's (UTF-8) and is converted at this boundary.

#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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
    // As SaveFile, but a regular file (not a link) that already holds exactly
    // the text is left as it is: 0, and nothing written.
    int SaveFileWhenChanged(const std::string& fileName);
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
    int save(const std::string& fileName, bool whenChanged);
    ParseError parseError_;
};

// The text TZo_XML::SaveFile writes for a document made by NewDocument and
// then built only with AddChild, SetAttribute, RemoveAttribute and GoParent,
// written as the document is described, without building it: one pass, and
// with WriteInto the text is never held whole however large the document.
// Each operation answers as TZo_XML's does. Elements hold elements and
// attributes only.
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
    // After NewDocument: the text goes into a temporary file beside fileName
    // as it is written, in pieces of about 64 KB, and SaveFile with the same
    // name checks the bytes written and puts that file in place. Without a
    // save the temporary file is removed. 0; -1 no document or already
    // writing into a file; -3 no temporary file could be made there (SaveFile
    // then answers -3).
    int WriteInto(const std::string& fileName);
    int AddChild(const std::string& name);
    int SetAttribute(std::string_view name, std::string_view value);
    int RemoveAttribute(std::string_view name);
    int GoParent();
    // Ends every open element and writes the text as TZo_XML::SaveFile does:
    // 0 saved; -1 no document; -3 the file could not be written, or is not
    // the one WriteInto named (the previous file is left as it was).
    int SaveFile(const std::string& fileName);
    // The whole text as SaveFile writes it (every open element ended); empty
    // without a document. After WriteInto only the part not yet in the file.
    const std::string& Text();

private:
    // An attribute in pending_: ' ', its name, '="', its value as the file
    // holds it (escaped), '"'; from start up to end.
    struct Attribute {
        size_t start = 0;
        size_t nameSize = 0;
        size_t end = 0;
    };
    struct Open {
        std::string name;
        bool started = false;  // its start tag is in the text
    };
    void startTag(bool withChildren);
    void endCurrent();
    void finish();
    // The text so far into the file of WriteInto: all of it, or once it is a piece.
    void writeOut(bool all);
    bool validName(std::string_view name);
    std::string_view attributeName(const Attribute& a) const;
    Attribute* findAttribute(std::string_view name);
    void moveAttributesAfter(const Attribute& a, ptrdiff_t delta);

    std::string text_;
    std::vector<Open> open_;
    // The attributes of the current element while its start tag is not written.
    std::string pending_;
    std::vector<Attribute> attributes_;
    bool current_ = false;               // the last open element is the current element
    bool document_ = false;
    bool finished_ = false;
    bool broken_ = false;  // asked for what the text can no longer hold: SaveFile refuses
    bool streamed_ = false;  // the text goes (went) into the file of WriteInto
    struct NameCache;
    NameCache* names_;
    struct Output;  // the temporary file of WriteInto
    std::unique_ptr<Output> output_;
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
