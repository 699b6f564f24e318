#include "BuildHost.h"

#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"

#include <QProcess>
#include <QStringList>

#include <cstring>
#include <libxml/tree.h>

namespace zo::test {

namespace {

BuildHost* g_host = nullptr;

void logProc(const char* text, uint8_t level) {
    if (g_host) g_host->log.push_back({platform::cp1251ToUtf8(text ? text : ""), level});
}

int32_t createConfigProc(const char* cfgPath, const char*, TZoStringList* list) {
    if (!g_host || !g_host->createConfig) return -1;
    std::vector<std::string> libraries;
    const int32_t rc = g_host->createConfig(cfgPath ? cfgPath : "", libraries);
    if (list && list->Clear && list->Add) {
        list->Clear(list);
        for (const std::string& l : libraries) list->Add(list, l.c_str());
    }
    return rc;
}

// The element of a query "file/ROOT/CHILD/..." (a trailing "/" allowed), or nil.
xmlNodePtr queryNode(TZo_XML& xml, const std::string& query) {
    const platform::FileAndRest parts = platform::splitFileAndElements(query);
    if (!platform::fileExists(parts.file) || xml.OpenFile(parts.file) != 0 || !xml.Document) return nullptr;
    xmlNodePtr node = nullptr;
    size_t start = 0;
    const std::string& rest = parts.rest;
    while (start < rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos) end = rest.size();
        const std::string name = rest.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        xmlNodePtr child = node ? node->children : xmlDocGetRootElement(xml.Document);
        for (; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && platform::utf8ToCp1251(reinterpret_cast<const char*>(child->name)) == name)
                break;
        }
        if (!child) return nullptr;
        node = child;
    }
    return node;
}

std::string attribute(xmlNodePtr node, const char* name) {
    xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(platform::cp1251ToUtf8(name).c_str()));
    if (!v) return {};
    std::string out = platform::utf8ToCp1251(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return out;
}

}  // namespace

int32_t RunConsoleForTest(const char* workFolder, const char* commandLine, TLogProc log) {
    if (g_host) g_host->commandLines.push_back(platform::cp1251ToUtf8(commandLine ? commandLine : ""));
    QStringList args = QProcess::splitCommand(platform::cp1251ToQString(commandLine ? commandLine : ""));
    if (args.isEmpty()) return -1;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (workFolder) process.setWorkingDirectory(QString::fromStdString(platform::nativePath(workFolder)));
    const QString program = QString::fromStdString(platform::nativePath(platform::qstringToCp1251(args.takeFirst())));
    process.start(program, args);
    if (!process.waitForStarted(10000)) return -1;
    process.waitForFinished(120000);
    const QStringList lines = QString::fromLocal8Bit(process.readAll()).split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const std::string text = platform::qstringToCp1251(line.trimmed());
        if (log) log(text.c_str(), line.contains(": error:") ? 5 : 1);
    }
    return 0;
}

int32_t ReadXmlListForTest(void*, const char* query, const char* child, const char* attr, TZoStringList* list) {
    if (list && list->Clear) list->Clear(list);
    TZo_XML xml;
    xmlNodePtr node = queryNode(xml, query ? query : "");
    if (!node) return -1;
    const std::string childName = platform::cp1251ToUtf8(child ? child : "");
    for (xmlNodePtr c = node->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE || childName != reinterpret_cast<const char*>(c->name)) continue;
        const std::string v = attribute(c, attr ? attr : "");
        if (!v.empty() && list && list->Add) list->Add(list, v.c_str());
    }
    return 0;
}

int32_t ReadXmlValueForTest(void*, const char* query, const char* attr, char* value, int32_t size) {
    if (value && size > 0) value[0] = '\0';
    TZo_XML xml;
    xmlNodePtr node = queryNode(xml, query ? query : "");
    if (!node || !xmlHasProp(node, reinterpret_cast<const xmlChar*>(attr ? attr : ""))) return -1;
    const std::string v = attribute(node, attr);
    if (value && size > 0) {
        std::strncpy(value, v.c_str(), size_t(size) - 1);
        value[size - 1] = '\0';
    }
    return 0;
}

BuildHost::BuildHost() {
    g_host = this;
    library_ = platform::loadLibrary(std::string(ZO_PROGRAM_DIR) + "/System/ZoAVRbuilder.so");
    if (library_) build_ = reinterpret_cast<TBuildProc>(platform::findSymbol(library_, "Build"));
    params.Log = logProc;
    params.RunProgram = RunConsoleForTest;
    params.ReadXmlList = ReadXmlListForTest;
    params.ReadXmlValue = ReadXmlValueForTest;
    params.CreateConfig = createConfigProc;
}

BuildHost::~BuildHost() {
    if (library_) platform::unloadLibrary(library_);
    g_host = nullptr;
}

void BuildHost::set(char* field, size_t size, const std::string& utf8) {
    const std::string text = platform::utf8ToCp1251(utf8);
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

int32_t BuildHost::run() { return build_ ? build_(&params) : -100; }

bool BuildHost::logged(const std::string& utf8, int level) const {
    for (const BuildLogLine& l : log)
        if (l.text == utf8 && l.level == level) return true;
    return false;
}

std::string BuildHost::logText() const {
    std::string out;
    for (const BuildLogLine& l : log) out += std::to_string(l.level) + ": " + l.text + "\n";
    return out;
}

}  // namespace zo::test
