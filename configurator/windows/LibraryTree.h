#pragma once
// The element library as read from its files: a tree of plain nodes (groups,
// blocks and the root nodes of included files) that the element library window
// shows. TLibraryLoader reads one library file with its groups, blocks and
// included files by the library file rules; everything it needs of the kernel
// (the program folder, registering a file) and of the window (repainting
// between included files) comes in through TLibraryServices.
//
// Texts are Windows-1251, as the files and the kernel hold them.

#include "common/abi/DragObject.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zo {
class TZo_XML;
}

namespace zo::configurator {

struct TLibraryNode {
    std::string Text;                            // the caption shown (NAME, or the included file's name)
    std::unique_ptr<TLibraryNodeRecord> Record;  // nil for the root node of an included file
    TLibraryNode* Parent = nullptr;
    std::vector<std::unique_ptr<TLibraryNode>> Children;

    TLibraryNode* AddChild(std::string text, std::unique_ptr<TLibraryNodeRecord> record);
    // Number of ancestors below the invisible root (0 for a top-level node).
    int Level() const;
    // Every node below this one, depth first.
    void ForEach(const std::function<void(const TLibraryNode&)>& visit) const;
};

struct TLibraryServices {
    std::function<std::string()> programFolder;                // GetProgramFolder; empty when unset
    std::function<int(const std::string&)> addLibraryFile;     // AddLibraryFile
    std::function<void(const std::string&, uint8_t)> log;      // the program's log (text, level)
    std::function<void()> repaint;                             // after each included file
};

// Results of _LoadGroup and _LoadBlock.
enum LibraryNodeResult : int {
    kLibraryNodeDone = 0,
    kLibraryNoDocument = -1,
    kLibraryWrongElement = -2,
    kLibraryNoMemory = -3,
    kLibraryNoName = -4,
    kLibraryNodeRefused = -5,
    kLibraryPathTooLong = -6,  // the block's path would not fit the record's 260 characters
};

class TLibraryLoader {
public:
    TLibraryLoader(TLibraryNode& root, TLibraryServices services);

    // Loads one library file: with a caption under a new top-level node of that
    // caption, without one straight into the top level. A file that is no
    // library file (not XML, not exactly one FBD element, an FBD without
    // children) is reported when the load ends: one such file by its own box,
    // several by one box that counts them and names the first few, every
    // reason in the log.
    void LoadSource(const std::string& caption, const std::string& path);
    int _LoadGroup(TLibraryNode* parent, TZo_XML* xml, const std::string& place);
    int _LoadBlock(TLibraryNode* parent, TZo_XML* xml, const std::string& place);

    // The skip rules of a library file: a short or "~" name, a file under 200 bytes
    // or one that cannot be read.
    static bool Skipped(const std::string& path);
    // The path as registered with the kernel and used in block paths: without the
    // program folder in front.
    static std::string RelativeToProgram(const std::string& path, const std::string& programFolder);

    // Files one loader reads at most (each file is read once; a folder of many
    // library files ends here).
    static constexpr int kMaxLoadedFiles = 256;
    // Files a box of several names by name.
    static constexpr size_t kNamedRefusedFiles = 5;

private:
    void LoadFile(const std::string& caption, const std::string& path);
    // The boxes the checks of one file would show, kept as the reasons it is refused.
    bool ReadableLibrary(TZo_XML& xml, const std::string& path, TLibraryNode* top);
    void ReportRefused();

    TLibraryNode& root_;
    TLibraryServices services_;
    std::set<std::string> loading_;  // files being loaded (an INCLUDE cycle ends here)
    std::set<std::string> loaded_;   // files read or being read by this loader
    std::set<std::string> cycles_;   // cycles already logged
    int loadedFiles_ = 0;            // files read by this loader
    bool boundLogged_ = false;       // files past kMaxLoadedFiles were left out (logged once)
    int depth_ = 0;                  // LoadSource calls under way (files including files)
    struct Refused {
        std::string file;
        std::string text;  // the box that refuses it
        std::string caption;
        int kind;          // platform::MessageKind
    };
    std::vector<Refused> refused_;
};

}  // namespace zo::configurator
