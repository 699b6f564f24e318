#pragma once
// One option block moved as the program moves it: its description from the
// options file, loaded from the settings file, saved there and loaded again.
// What was saved must load back; a settings file that does not parse, or is
// not a settings file, is never rewritten.

#include <string>

namespace zo::fuzz {

// The paths the program's option walk hands the kernel.
std::string OptionsDescriptionPath(const std::string& block);  // <Struct>\Options.xml/OPTIONS/STRUCT/<block>
std::string SettingsValuePath(const std::string& block);        // <Struct>\Configurator.xml/setings/<block>
std::string SettingsFile();                                     // native path of Configurator.xml

// Runs the block through description, load, save and load again, checking
// what the saving may and may not do to the settings file.
void RunOptionBlock(const std::string& block);

}  // namespace zo::fuzz
