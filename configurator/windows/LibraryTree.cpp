#include "configurator/windows/LibraryTree.h"

#include "common/FileUtils.h"
#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "platform/HeldMessages.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace zo::configurator {

namespace {

constexpr size_t kMinLibraryFileSize = 200;

void copyCut(char* destination, size_t capacity, const std::string& text) {
    const size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(destination, text.data(), n);
    destination[n] = 0;
}

// The file a path names, in one spelling, so that one file included twice is
// known as the same file.
std::string fileKey(const std::string& path) {
    std::error_code ec;
    const fs::path native(platform::nativePath(path));
    const fs::path canonical = fs::weakly_canonical(native, ec);
    return ec ? native.lexically_normal().string() : canonical.string();
}

}  // namespace

TLibraryNode* TLibraryNode::AddChild(std::string text, std::unique_ptr<TLibraryNodeRecord> record) {
    auto node = std::make_unique<TLibraryNode>();
    node->Text = std::move(text);
    node->Record = std::move(record);
    node->Parent = this;
    Children.push_back(std::move(node));
    return Children.back().get();
}

int TLibraryNode::Level() const {
    int n = -1;
    for (const TLibraryNode* p = Parent; p; p = p->Parent) ++n;
    return std::max(n, 0);
}

void TLibraryNode::ForEach(const std::function<void(const TLibraryNode&)>& visit) const {
    for (const auto& child : Children) {
        visit(*child);
        child->ForEach(visit);
    }
}

TLibraryLoader::TLibraryLoader(TLibraryNode& root, TLibraryServices services)
    : root_(root), services_(std::move(services)) {}

bool TLibraryLoader::Skipped(const std::string& path) {
    const std::string name = platform::fileNameOf(path);
    if (name.size() <= 2 || name.front() == '~') return true;
    std::error_code ec;
    const fs::path native(platform::nativePath(path));
    if (!fs::is_regular_file(native, ec)) return true;
    const auto size = fs::file_size(native, ec);
    if (ec || size < kMinLibraryFileSize) return true;
    const std::string nativeText = native.string();
    FILE* probe = std::fopen(nativeText.c_str(), "rb");
    if (!probe) return true;
    std::fclose(probe);
    return false;
}

std::string TLibraryLoader::RelativeToProgram(const std::string& path, const std::string& programFolder) {
    if (!programFolder.empty() && path.size() > programFolder.size() &&
        path.compare(0, programFolder.size(), programFolder) == 0)
        return path.substr(programFolder.size());
    return path;
}

void TLibraryLoader::LoadSource(const std::string& caption, const std::string& pathIn) {
    ++depth_;
    LoadFile(caption, pathIn);
    if (--depth_ == 0) ReportRefused();
}

void TLibraryLoader::ReportRefused() {
    if (refused_.empty()) return;
    if (refused_.size() == 1) {
        const Refused& one = refused_.front();
        platform::showMessage(one.text, one.caption, platform::MessageKind(one.kind));
    } else {
        std::string names;
        for (size_t i = 0; i < refused_.size() && i < kNamedRefusedFiles; ++i)
            names += (i ? ", " : "") + platform::fileNameOf(refused_[i].file);
        if (refused_.size() > kNamedRefusedFiles) names += ZO_RU(" и другие");
        for (const Refused& r : refused_)
            if (services_.log) services_.log(r.text, 3);
        platform::showMessage(ZO_RU("Не являются файлами описания FBD блоков ") + std::to_string(refused_.size()) +
                              ZO_RU(" файлов: ") + names + ZO_RU(". Причины записаны в журнал."));
    }
    refused_.clear();
}

bool TLibraryLoader::ReadableLibrary(TZo_XML& xml, const std::string& path, TLibraryNode* top) {
    platform::HeldMessages held;
    bool readable = false;
    if (xml.OpenFile(path) == 0) {
        xml.GoRoot();
        xml.SetMark();
        const int count = xml.CountFromMark("FBD");
        if (count != 1) {
            platform::showMessage(ZO_RU("Число узлов FBD ") + std::to_string(count) + ZO_RU(" в файле ") + path);
        } else {
            xml.FindFromMark("FBD");
            const std::string name = xml.GetAttribute("NAME");
            if (!name.empty() && top != &root_) top->Text = name;
            if (xml.GoFirstChild() != 0)
                platform::showMessage(ZO_RU("Нет описания GROUP узла FBD в файле ") + path);
            else
                readable = true;
        }
    }
    for (const platform::HeldMessages::Message& m : held.messages) refused_.push_back({path, m.text, m.caption, int(m.kind)});
    return readable;
}

void TLibraryLoader::LoadFile(const std::string& caption, const std::string& pathIn) {
    const std::string path = platform::withCurrentDir(pathIn);
    if (loadedFiles_ >= kMaxLoadedFiles) {
        if (!boundLogged_ && services_.log)
            services_.log(ZO_RU("Прочитано ") + std::to_string(kMaxLoadedFiles) +
                              ZO_RU(" файлов описания FBD блоков, файл ") + path + ZO_RU(" и следующие пропущены"),
                          3);
        boundLogged_ = true;
        return;
    }
    if (Skipped(path)) return;
    const std::string key = fileKey(path);
    if (loading_.count(key)) {
        if (cycles_.insert(key).second && services_.log)
            services_.log(ZO_RU("Циклическое включение файла описания FBD блоков ") + path + ZO_RU(" пропущено"), 3);
        return;
    }
    // Every included file becomes a top-level node, so a file reached again
    // through another INCLUDE would only repeat its groups in the tree.
    if (!loaded_.insert(key).second) return;
    ++loadedFiles_;
    loading_.insert(key);
    struct Leave {
        std::set<std::string>& set;
        const std::string& key;
        ~Leave() { set.erase(key); }
    } leave{loading_, key};

    TLibraryNode* top = &root_;
    if (!caption.empty()) top = root_.AddChild(caption, nullptr);

    TZo_XML xml;
    if (!ReadableLibrary(xml, path, top)) return;
    const std::string registered =
        RelativeToProgram(path, services_.programFolder ? services_.programFolder() : std::string());
    if (services_.addLibraryFile) services_.addLibraryFile(registered);
    const std::string place = registered + "/FBD";
    do {
        const std::string element = xml.GetNodeName();
        if (element == "GROUP") {
            _LoadGroup(top, &xml, place);
        } else if (element == "BLOCK") {
            _LoadBlock(top, &xml, place);
        } else if (element == "INCLUDE") {
            const std::string fileName = xml.GetAttribute("FILE_NAME");
            if (fileName.empty() || boundLogged_) continue;
            const size_t slash = fileName.rfind('\\');
            const std::string folder = slash == std::string::npos ? std::string() : fileName.substr(0, slash);
            const std::string mask = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
            std::vector<std::string> files;
            FindFiles(folder, mask, files, false);
            for (const std::string& file : files) {
                LoadSource(platform::fileNameOf(file), "\\" + file);
                if (services_.repaint) services_.repaint();
            }
        }
    } while (xml.GoNextSibling() == 0);
}

int TLibraryLoader::_LoadGroup(TLibraryNode* parent, TZo_XML* xml, const std::string& place) {
    if (!xml || !xml->Document) return kLibraryNoDocument;
    if (xml->GetNodeName() != "GROUP") return kLibraryWrongElement;
    auto record = std::make_unique<TLibraryNodeRecord>();
    std::memset(record.get(), 0, sizeof *record);
    const std::string name = xml->GetAttribute("NAME");
    if (name.empty()) return kLibraryNoName;
    copyCut(record->Caption, sizeof record->Caption, xml->GetAttribute("IM"));
    TLibraryNode* node = parent->AddChild(name, std::move(record));
    if (xml->GoFirstChild() != 0) return kLibraryNodeDone;
    do {
        const std::string element = xml->GetNodeName();
        if (element == "GROUP") _LoadGroup(node, xml, place + "/" + name);
        if (element == "BLOCK") _LoadBlock(node, xml, place + "/" + name);
    } while (xml->GoNextSibling() == 0);
    xml->GoParent();
    return kLibraryNodeDone;
}

int TLibraryLoader::_LoadBlock(TLibraryNode* parent, TZo_XML* xml, const std::string& place) {
    if (!xml || !xml->Document) return kLibraryNoDocument;
    if (xml->GetNodeName() != "BLOCK") return kLibraryWrongElement;
    auto record = std::make_unique<TLibraryNodeRecord>();
    std::memset(record.get(), 0, sizeof *record);
    const std::string name = xml->GetAttribute("NAME");
    if (name.empty()) return kLibraryNoName;
    const std::string path = place + "/" + name;
    // A path cut to the record's width would name another block, or none.
    if (path.size() >= sizeof record->Path) {
        if (services_.log)
            services_.log(ZO_RU("Путь описания блока длиннее 260 символов, блок пропущен: ") + path, 3);
        return kLibraryPathTooLong;
    }
    copyCut(record->Path, sizeof record->Path, path);
    copyCut(record->Caption, sizeof record->Caption, xml->GetAttribute("IM"));
    parent->AddChild(name, std::move(record));
    return kLibraryNodeDone;
}

}  // namespace zo::configurator
