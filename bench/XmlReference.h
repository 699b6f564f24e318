#pragma once
// The plain cost of the XML work in opening and saving a project: libxml2
// alone, with the options the project file is read and written with
// (blank text dropped; pretty-printed Windows-1251 on saving).

#include <cstdint>
#include <string>

namespace zo::bench {

// Parses the file and walks every element and every attribute value; the
// number of elements and attributes seen, or -1 when the file does not parse.
int64_t ParseAndWalk(const std::string& path);

// A parsed document kept for serialising it again and again.
class ParsedDocument {
public:
    explicit ParsedDocument(const std::string& path);
    ~ParsedDocument();
    ParsedDocument(const ParsedDocument&) = delete;
    ParsedDocument& operator=(const ParsedDocument&) = delete;

    bool ok() const { return doc_ != nullptr; }
    // Writes the whole tree to path; the bytes written, or -1. With sync the
    // file is also synced to the disk before the answer, as a save must.
    int64_t save(const std::string& path, bool sync = false) const;

private:
    void* doc_ = nullptr;  // xmlDocPtr
};

}  // namespace zo::bench
