#pragma once
// The assembler project of an AVR device, formed in the upload folder and
// assembled into the firmware image <project>.hex: the steps shared by the
// builder plug-in's Build (from a TBuildParams record) and the program's own
// build of devices without a builder library (from the kernel and the shell).
// Every step is logged; the first failing step ends the build with its code.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zo::avr {

// Results of a build.
enum AvrBuildResult : int32_t {
    kAvrBuildOk = 0,
    kAvrConfigNotWritten = -2,     // the configuration file was not written
    kAvrConverterNotStarted = -3,  // Kelvart did not start
    kAvrIncludeNotMade = -4,       // Configuration.inc was not made
    kAvrProjectFileFailed = -5,    // program or device file missing, main.asm or Include.inc not written
    kAvrCopyFailed = -6,           // a copy failed, or an element code file was not found
    kAvrAssemblerFailed = -7,      // Interrupt.inc, CMD or SOURCE missing, or the assembler did not start
    kAvrImageNotMade = -8,         // the image was not made
};

// What the build asks of its caller. Texts are Windows-1251.
class IAvrBuildHost {
public:
    virtual ~IAvrBuildHost() = default;
    virtual void Log(const std::string& text, uint8_t level) = 0;
    // Runs a console program to its end (its output logged); 0 = it ran.
    virtual int32_t RunProgram(const char* workFolder, const std::string& commandLine) = 0;
    // The non-empty attr values of the children named child of the query's node.
    virtual int32_t ReadXmlList(const std::string& query, const char* child, const char* attr,
                                std::vector<std::string>& items) = 0;
    // The attribute of the query's node; 0 = found.
    virtual int32_t ReadXmlValue(const std::string& query, const char* attr, std::string& value) = 0;
    // The configuration file; libraries gets the code files of its element blocks.
    virtual int32_t CreateConfig(const std::string& cfgPath, const char* logName,
                                 std::vector<std::string>& libraries) = 0;
    // The device's program name, asked again at each use.
    virtual std::string DeviceProgram() = 0;
};

struct AvrBuildInputs {
    std::string uploadFolder;   // U: emptied and filled
    std::string runtimeFolder;  // R: the device's runtime folder
    std::string programFolder;  // P
    std::string deviceFile;     // D: the device description
    std::string projectName;    // N
    // The first line of main.asm, before the date and time.
    std::string mainHeader = "; This file was created with Configurator.exe program. ";
    bool interruptVectors = true;  // writes Interrupt.inc (the plug-in does, the program does not)
};

int32_t BuildAvrProject(const AvrBuildInputs& inputs, IAvrBuildHost& host);

// The run-time's default date-time text: short date, a blank, long time.
std::string CurrentDateTimeText();

}  // namespace zo::avr
