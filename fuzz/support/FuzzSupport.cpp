#include "support/FuzzSupport.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "kernel/Clipboard.h"
#include "kernel/KernelLog.h"
#include "kernel/LineTypes.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelStart.h"
#include "kernel/KernelState.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"

#include <QGuiApplication>

#include <libxml/tree.h>

#include <dlfcn.h>
#include <iconv.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <unordered_map>

namespace fs = std::filesystem;

namespace zo::fuzz {

namespace {

// In UTF-8, which the parser reads without a conversion: every block of a
// project reads its library file again.
const char* const kFixtureLibraryUtf8 = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- FBD-блоки для проверки чтения проектов: код, входы, выходы, библиотека кода. -->
<FBD NAME="Проверочные блоки">
  <GROUP NAME="Логика" IM="Логические блоки">
    <BLOCK NAME="AND" IM="Логическое И" Library="Lib\logic.so" Label="И">
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="10" IM="Код блока"/>
      <IN NAME="In1" TYPE="Bool" DEFAULT="65535" IM="Вход 1"/>
      <IN NAME="In2" TYPE="Bool" DEFAULT="65535" IM="Вход 2"/>
      <OUT NAME="Out" TYPE="Bool" DEFAULT="65535" IM="Выход"/>
    </BLOCK>
    <BLOCK NAME="NOT" IM="Логическое НЕ" Library="Lib\logic.so" Turn="1">
      <FIELD NAME="Код" TYPE="Word" DEFAULT="11" IM="Код блока"/>
      <IN NAME="In" TYPE="Bool" DEFAULT="65535" IM="Вход"/>
      <OUT NAME="Out" TYPE="Bool" DEFAULT="65535" IM="Выход"/>
    </BLOCK>
  </GROUP>
  <GROUP NAME="Арифметика" IM="Числа">
    <BLOCK NAME="ADD" IM="Сумма" Library="Lib\math.so">
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="20" IM="Код блока"/>
      <VAR NAME="K" TYPE="Single" DEFAULT="1.5" IM="Коэффициент"/>
      <VAR NAME="Text" TYPE="String20" DEFAULT="сумма" IM="Подпись"/>
      <IN NAME="A" TYPE="Real" DEFAULT="65535" IM="Слагаемое"/>
      <IN NAME="B" TYPE="Real" DEFAULT="65535" IM="Слагаемое"/>
      <OUT NAME="Sum" TYPE="Real" DEFAULT="65535" IM="Сумма"/>
    </BLOCK>
  </GROUP>
  <GROUP NAME="Каналы" IM="Входы и выходы контроллера">
    <BLOCK NAME="In" IM="Вход контроллера">
      <OUT NAME="Out" TYPE="Int" DEFAULT="65535" IM="Значение"/>
      <VAR NAME="Channel" TYPE="Word" DEFAULT="0" IM="Номер канала"/>
    </BLOCK>
    <BLOCK NAME="Out" IM="Выход контроллера">
      <IN NAME="In" TYPE="Int" DEFAULT="65535" IM="Значение"/>
      <VAR NAME="Channel" TYPE="Word" DEFAULT="0" IM="Номер канала"/>
    </BLOCK>
  </GROUP>
</FBD>
)";

std::string g_scratch;

void removeScratch() {
    if (g_scratch.empty()) return;
    std::error_code ignored;
    fs::remove_all(g_scratch, ignored);
}

// The log of the kernel goes nowhere; the texts are still built and passed.
void discardLog(const char*, const char* text, int32_t, int32_t) {
    if (text) (void)std::strlen(text);
}

// libFuzzer keeps the coverage counters of every instrumented library it saw
// loaded, so none may be unmapped again: each library of System/ stays loaded
// however often the kernel binds and unbinds it.
void keepLibrariesLoaded() {
    for (const auto& entry : fs::directory_iterator(std::string(ZO_PROGRAM_DIR) + "/System")) {
        if (entry.path().extension() != ".so") continue;
        if (!dlopen(entry.path().c_str(), RTLD_NOW | RTLD_NODELETE)) Fail("dlopen", dlerror());
    }
}

// At the end of the process the sheets of a project still open and the line
// types go as the library's unloading frees them (what they own hangs on
// pointers inside packed items, where no leak check can see them). Nothing
// that logs is called this late: the texts it logs with may already be gone.
void stopKernel() {
    using namespace zo::kernel;
    if (!StateExists()) return;
    ClearSheets();
    ClearLineTypes(&State().lineTypes);
}

std::string g_started;

void walkNames(TZo_XML& xml, DocumentNames& names, size_t limit, const std::string& elementPath,
               const std::string& blockPath, int depth) {
    do {
        if (names.elements.size() >= limit || depth > 32) return;
        const std::string name = xml.GetNodeName();
        if (xml.CurrentElement->type != XML_ELEMENT_NODE) continue;
        names.elements.push_back(name);
        const std::string path = elementPath.empty() ? name : elementPath + "/" + name;
        names.elementPaths.push_back(path);
        std::string block = blockPath;
        if (name == "GROUP" || name == "BLOCK") {
            block += (block.empty() ? "" : "/") + xml.GetAttribute("NAME");
            if (name == "BLOCK") names.blockPaths.push_back(block);
        } else if (blockPath.empty() || depth <= 1) {
            block = name;
        }
        if (xml.GoFirstChild() == 0) {
            walkNames(xml, names, limit, path, block, depth + 1);
            xml.GoParent();
        }
    } while (xml.GoNextSibling() == 0);
}

}  // namespace

const std::string& Scratch() {
    if (g_scratch.empty()) {
        const char* base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        g_scratch = std::string(base) + "/zo-fuzz-" + std::to_string(getpid());
        std::error_code ignored;
        fs::remove_all(g_scratch, ignored);
        fs::create_directories(g_scratch);
        std::atexit(removeScratch);
        // The C library unloads a converter module when its last descriptor
        // closes, and the XML parser opens and closes one for every file that
        // declares windows-1251: one descriptor held for the process keeps the
        // module loaded instead of mapping it in and out for every input.
        static const iconv_t kept = iconv_open("UTF-8", "WINDOWS-1251");
        (void)kept;
    }
    return g_scratch;
}

namespace {

// The file's bytes; false when it does not open or not every byte was written.
bool writeWhole(const std::string& path, const uint8_t* data, size_t size, struct stat* st) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;  // as a stream that does not open: the reader finds no such file
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    const bool whole = done == size && (!st || ::fstat(fd, st) == 0);
    ::close(fd);
    return whole;
}

}  // namespace

void WriteFile(const std::string& path, const uint8_t* data, size_t size) { writeWhole(path, data, size, nullptr); }

void WriteInputFile(const std::string& path, const uint8_t* data, size_t size) {
    struct Written {
        std::string bytes;
        struct stat st;
    };
    static std::unordered_map<std::string, Written> written;
    const auto same = [](const struct stat& a, const struct stat& b) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
               a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
               a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
    };
    struct stat st {};
    const auto it = written.find(path);
    if (it != written.end() && it->second.bytes.size() == size &&
        (size == 0 || std::memcmp(it->second.bytes.data(), data, size) == 0) && ::stat(path.c_str(), &st) == 0 &&
        same(st, it->second.st))
        return;
    if (it != written.end()) written.erase(it);
    if (!writeWhole(path, data, size, &st) || size > 65536) return;
    // A few small files are kept (names an input makes up come and go).
    if (written.size() >= 64) written.clear();
    written.emplace(path, Written{std::string(reinterpret_cast<const char*>(data), size), st});
}

void WriteInputFile(const std::string& path, const std::string& bytes) {
    WriteInputFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    WriteFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileThere(const std::string& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

void RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno == EISDIR) ::rmdir(path.c_str());
}

void Note(const std::string& text) {
    static const bool verbose = std::getenv("ZO_FUZZ_VERBOSE") != nullptr;
    static auto last = std::chrono::steady_clock::now();
    if (!verbose) return;
    const auto now = std::chrono::steady_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::microseconds>(now - last).count() / 1000.0;
    last = now;
    std::fprintf(stderr, "note: %8.2f ms  %s\n", ms, platform::cp1251ToUtf8(text).c_str());
}

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "==FUZZ CHECK FAILED== %s\n%s\n", what, platform::cp1251ToUtf8(detail).c_str());
    std::fflush(stderr);
    std::abort();
}

QuietUi& Ui() {
    static QuietUi* ui = [] {
        auto* installed = new QuietUi;
        platform::setUiServices(installed);
        return installed;
    }();
    return *ui;
}

void StartGui() {
    if (QGuiApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string runtime = Scratch() + "/runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

const TConvertOptions* Convert() {
    static const TConvertOptions* record = [] {
        void* lib = platform::loadLibrary(std::string(ZO_PROGRAM_DIR) + "/System/ZoConvert.so");
        auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(platform::findSymbol(lib, "GetInfo"));
        void* r = nullptr;
        int32_t size = 0;
        if (getInfo) getInfo(&r, &size);
        if (!r) Fail("ZoConvert.so not loaded", ZO_PROGRAM_DIR);
        return static_cast<const TConvertOptions*>(r);
    }();
    return record;
}

std::string Cp(const std::string& utf8) { return platform::utf8ToCp1251(utf8); }

bool ShownAlike(const std::string& cp1251) {
    return platform::qstringToCp1251(platform::cp1251ToQString(cp1251)) == cp1251;
}

const char* const kFixtureDeviceUtf8 = R"(<?xml version="1.0" encoding="windows-1251"?>
<Micro Program="VT_win.exe" ConfigFileType="1">
  <Structure>
    <BLOCK NAME="Header" IM="Параметры контроллера">
      <VAR NAME="Device" TYPE="String20" IM="Устройство"/>
      <VAR NAME="Name" TYPE="String60" IM="Имя проекта"/>
      <VAR NAME="IP" TYPE="String15" DEFAULT="192.168.0.10" IM="Адрес"/>
      <VAR NAME="Port" TYPE="Word" DEFAULT="502" IM="Порт"/>
      <VAR NAME="Cycle" TYPE="Integer" DEFAULT="100" IM="Цикл, мс"/>
    </BLOCK>
  </Structure>
  <BUILD CMD="avra" SOURCE="main.asm">
    <PROGRAM FILE="main.asm"/>
  </BUILD>
</Micro>
)";

const std::string& ProgramFolder() {
    static const std::string folder = [] {
        const std::string p = Scratch() + "/Program";
        fs::create_directories(p);
        WriteFile(p + "/Configurator", std::string());
        for (const char* d : {"Runtime", "Configuration", "Upload", "Device", "Project"}) fs::create_directory(p + "/" + d);
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/Struct", p + "/Struct", fs::copy_options::recursive);
        fs::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", p + "/System");
        WriteFile(p + "/Struct/Fbd.xml", kFixtureLibraryUtf8);
        WriteFile(p + "/Device/Test.dev", Cp(kFixtureDeviceUtf8));
        return p;
    }();
    return folder;
}

std::string ProgramFile(const std::string& relative) { return ProgramFolder() + "/" + relative; }

std::string FixtureLibraryPath(const std::string& blockUtf8) {
    return "\\Struct\\Fbd.xml/FBD/" + Cp(blockUtf8);
}

void StartKernel() {
    using namespace zo::kernel;
    if (StateExists()) return;
    Ui();
    StartGui();
    g_started = fs::current_path().string();
    const std::string& program = ProgramFolder();
    if (chdir(program.c_str()) != 0) Fail("chdir", program);
    keepLibrariesLoaded();
    CreateState();
    CreateOutsideBindings();
    TKernelOptions& o = Options();
    std::memset(&o, 0, sizeof o);
    FillKernelOptions(o);
    o.ConvertOptions = const_cast<TConvertOptions*>(Convert());
    SetLogCallback("Fuzz.log", discardLog);
    KernelInit();
    // Inputs and corpus folders named relative to where the fuzzer started.
    RestoreFolder();
    std::atexit(stopKernel);
}

void RestoreFolder() {
    if (!g_started.empty() && chdir(g_started.c_str()) != 0) Fail("chdir", g_started);
}

void ForgetVolatileDescriptions() {
    using namespace zo::kernel;
    TArhivStruc* cache = State().structCache;
    const std::string programFolder = State().programFolder;
    const auto fixed = [&](const std::string& path) {
        for (const char* file : {"Struct\\Struct.xml/", "Struct\\Base.xml/", "Struct\\Fbd.xml/", "Device\\Test.dev/"}) {
            const std::string prefix = programFolder + "\\" + file;
            if (path.compare(0, prefix.size(), prefix) == 0) return true;
            const std::string relative = std::string("\\") + file;
            if (path.compare(0, relative.size(), relative) == 0) return true;
        }
        return false;
    };
    for (uint16_t i = cache->Structs.Count; i-- > 0;) {
        TStruct* cached = nullptr;
        cache->Structs.CopyItem(i, &cached);
        if (cached && fixed(cached->LoadedPath())) continue;
        delete cached;
        cache->Structs.DeleteItem(i);
    }
}

std::string FixtureProject(const std::string& deviceFile, int configFileType) {
    std::string text = R"(<?xml version="1.0" encoding="windows-1251"?>
<!-- This document was created with Zo_xml unit. -->
<Orvanta_config>
  <Проект Name="Fixture" DeviceFile="@DEVICE@" Program="VT_win.exe" ConfigFileType="@TYPE@"/>
  <Заголовок Device="Test" Name="Проверка" IP="10.0.0.7" Cycle="50"/>
  <Схема Name="Лист 1" Width="40" Height="30" WindowOpen="1" Scale="1.25">
    <Блок Name="И 1" DescriptionPath="\Struct\Fbd.xml/FBD/Логика/AND" Left="2" Top="2" Priority="2">
      <Парам. Label="Первый"/>
      <Данные In1="0" In2="1" Out="2"/>
    </Блок>
    <Блок Name="НЕ 1" DescriptionPath="\Struct\Fbd.xml/FBD/Логика/NOT" Left="12" Top="2">
      <Парам. Turn="2"/>
      <Данные In="2" Out="0"/>
    </Блок>
    <Блок Name="Сумма" DescriptionPath="\Struct\Fbd.xml/FBD/Арифметика/ADD" Left="2" Top="12" Priority="1">
      <Данные K="2.5" Text="итог" A="3"/>
    </Блок>
    <Блок Name="Вход 1" DescriptionPath="\Struct\Fbd.xml/FBD/Каналы/In" Left="20" Top="12">
      <Данные Channel="3"/>
    </Блок>
    <Блок Name="Сеть 1" DescriptionPath="\Struct\Base.xml/FBD/Вход Выход/Orvan_In" Left="20" Top="20">
      <Данные IM="Насос" ID="7"/>
    </Блок>
    <Соединение PointA="327690" PointB="327692"/>
    <Соединение PointA="327692" PointB="655372"/>
    <Соединение Selected="1" PointA="786446" PointB="786454" LineType="1"/>
  </Схема>
  <Схема Name="Лист 2" Width="20" Height="12">
    <Блок Name="Выход сети" DescriptionPath="\Struct\Base.xml/FBD/Вход Выход/Orvan_Out" Left="1" Top="1">
      <Данные IM="Задвижка" ID="8" In="1"/>
    </Блок>
    <Блок Name="Выход" DescriptionPath="\Struct\Fbd.xml/FBD/Каналы/Out" Left="8" Top="5"/>
    <Соединение PointA="65541" PointB="65545"/>
  </Схема>
</Orvanta_config>
)";
    const auto replace = [&](const std::string& key, const std::string& value) {
        const size_t at = text.find(key);
        if (at != std::string::npos) text.replace(at, key.size(), value);
    };
    replace("@DEVICE@", deviceFile);
    replace("@TYPE@", std::to_string(configFileType));
    return Cp(text);
}

std::vector<std::string> RecordTexts(const TStruct& description, const void* record) {
    std::vector<std::string> out;
    for (int i = 0; i < description.GetItemCount(); ++i) out.push_back(description.GetValue(record, i));
    return out;
}

bool Storable(const TStruct& description, int index) {
    const std::string name = platform::cp1251ToUtf8(description.GetItemName(index));
    if (xmlValidateNCName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0 || name == "xmlns") return false;
    for (int i = 0; i < description.GetItemCount(); ++i)
        if (i != index && description.GetItemName(i) == description.GetItemName(index)) return false;
    return true;
}

std::vector<std::string> StoredTexts(const TStruct& description, const void* record) {
    std::vector<std::string> out = RecordTexts(description, record);
    const int size = description.GetSize();
    if (size <= 0) return out;
    std::vector<uint8_t> defaults(size_t(size), 0);
    description.SetDefaults(defaults.data());
    for (size_t i = 0; i < out.size(); ++i)
        if (out[i].empty()) out[i] = description.GetValue(defaults.data(), int(i));
    return out;
}

std::string CompareStored(const TStruct& description, const std::vector<std::string>& stored, const void* readBack) {
    const std::vector<std::string> read = RecordTexts(description, readBack);
    std::string differences;
    for (size_t i = 0; i < read.size() && i < stored.size(); ++i) {
        if (!Storable(description, int(i)) || read[i] == stored[i]) continue;
        differences += description.GetItemName(int(i)) + " " + description.GetItemType(int(i)) + ": stored [" +
                       stored[i] + "] read [" + read[i] + "]\n";
    }
    return differences;
}

MemoryStream::MemoryStream() : table_{this, write, nullptr, nullptr, nullptr} {}

int32_t MemoryStream::write(TZoStream* stream, const void* data, int32_t size) {
    if (size < 0 || (size > 0 && !data)) return -1;
    static_cast<MemoryStream*>(stream->Context)->bytes_.append(static_cast<const char*>(data), size_t(size));
    return size;
}

DocumentNames ReadNames(const std::string& file, size_t limit) {
    DocumentNames names;
    TZo_XML xml;
    if (xml.OpenFile(file) != 0) return names;
    names.opened = true;
    xml.GoRoot();
    if (!xml.CurrentElement) return names;
    names.root = xml.GetNodeName();
    walkNames(xml, names, limit, std::string(), std::string(), 0);
    return names;
}

}  // namespace zo::fuzz

// Leaks inside the system libraries only, as tests/lsan.supp lists them for
// the tests: fontconfig's and Qt's one-time allocations.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libQt6Core.so\nleak:libQt6Gui.so\n";
}
