#pragma once
// Shared by the structure tests: the conversion library loaded from the program
// folder as the program binds it, a log sink that keeps every line, and
// description files written in Windows-1251.

#include "common/Struct.h"
#include "platform/DynLib.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zo::test {

// The conversion library's record; loaded once and kept for the whole run.
inline const TConvertOptions* conversion() {
    static const TConvertOptions* record = []() -> const TConvertOptions* {
        void* library = platform::loadLibrary(ZO_PROGRAM_DIR "/System/ZoConvert.so");
        if (!library) return nullptr;
        using GetInfoProc = void (*)(void**, int32_t*);
        auto getInfo = reinterpret_cast<GetInfoProc>(platform::findSymbol(library, "GetInfo"));
        if (!getInfo) return nullptr;
        void* pointer = nullptr;
        int32_t size = 0;
        getInfo(&pointer, &size);
        if (size != int32_t(sizeof(TConvertOptions))) return nullptr;
        return static_cast<const TConvertOptions*>(pointer);
    }();
    return record;
}

// Every line logged through logLine, as UTF-8 with its level.
struct LoggedLine {
    std::string text;
    int level;
    bool operator==(const LoggedLine&) const = default;
};
inline std::vector<LoggedLine>& loggedLines() {
    static std::vector<LoggedLine> lines;
    return lines;
}
extern "C" inline void logLine(const char* text, uint8_t level) {
    loggedLines().push_back({utf(text ? text : ""), level});
}
inline void PrintTo(const LoggedLine& line, std::ostream* os) { *os << line.level << " " << line.text; }

// An XML file in Windows-1251 from UTF-8 source text (the declaration is added).
inline void writeXml(const std::string& path, const std::string& utf8Body) {
    writeBytes(path, cp("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + utf8Body));
}

// A fixture with the conversion library, a temporary folder, the log cleared
// and message boxes recorded.
class StructFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(conversion(), nullptr) << platform::lastLibraryError();
        loggedLines().clear();
    }
    void TearDown() override { loggedLines().clear(); }

    // A description ready to load: conversion record and log set.
    void prepare(TStruct& s) const {
        s.ConvertOptions = conversion();
        s.OnLog = logLine;
    }
    std::string path(const std::string& name) const { return dir.file(name); }

    TempDir dir;
    UiRecorder ui;
};

}  // namespace zo::test
