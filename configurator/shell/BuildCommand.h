#pragma once
// The build command ("Собрать проект"): turns the open project into the
// content of the upload folder the way its device description asks — through
// the builder plug-in it names (bound for this one build), the program's own
// assembler build (ConfigFileType "2" without a builder), or the kernel's
// upload-folder build.

#include "common/abi/BuildParams.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace zo::configurator {

class TActions;
class TProjectSession;
struct TBuildInputs;

// ConfigFileType as a number 0..255; false for anything else (not a plain
// decimal number, or too large).
bool ParseConfigFileType(const std::string& text, uint8_t* type);

// A builder file name: a plain "<name>.so" (exactly that suffix), no folder
// separator and no "..". 1 builder, 0 not a builder library (falls back),
// -1 refused.
int ClassifyBuilder(const std::string& builder);

// The device file path as the builder takes it: relative to the program folder
// ("\Device\<file>") when it lies below it, else as it is.
std::string DevicePathForBuilder(const std::string& deviceFilePath, const std::string& programFolder);

// Fills every field but Reserved from the build's inputs and the program's
// callbacks. false when a text does not fit its field (logged).
bool FillBuildParams(TBuildParams& params, const TBuildInputs& inputs, uint8_t type);

class TBuildCommand : public QObject {
    Q_OBJECT
public:
    TBuildCommand(TProjectSession& session, TActions& actions, QObject* parent);

    // The whole build; true when it succeeded.
    bool ProjectUploadExecute();

    // The program's own assembler build (replaceable for tests); its result, 0 = built.
    void SetInternalBuild(std::function<int32_t()> build) { internalBuild_ = std::move(build); }

private:
    int32_t RunInternalBuild(const TBuildInputs& inputs);

    TProjectSession& session_;
    std::function<int32_t()> internalBuild_;
};

}  // namespace zo::configurator
