#pragma once
// The program's version: the project's version built into the program
// ("major.minor.release.build", each a decimal number).

#include <string>

namespace zo::configurator {

// Text := the version; empty when the program was built without one.
void GetVersionString(std::string& text);

}  // namespace zo::configurator
