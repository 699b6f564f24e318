#pragma once
// File work of the AVR build: text files read as lines and written with CR LF,
// whole-file copies, and the check that a name from a device description, an
// element library or the project stays below the folder it is joined to.

#include <string>
#include <vector>

namespace zo::avr {

// The lines of a single-byte text file (LF or CR LF ends); false when it cannot be read.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines);
// Writes the lines, each ended by CR LF; false when the file was not written whole.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines);
// Copies a file over the target; false when it was not copied whole.
bool CopyWholeFile(const std::string& from, const std::string& to);
// Removes a file; true when no file is left at the path.
bool RemoveFile(const std::string& path);

// A relative name without ".." parts, control characters or double quotes:
// nothing outside the folder it is joined to, and nothing that could end a
// line of the files it is written into.
bool IsNameBelowFolder(const std::string& name);
// A name without a folder part that IsNameBelowFolder accepts.
bool IsPlainFileName(const std::string& name);

// The text padded with blanks to width characters (unchanged when not shorter).
std::string PadRight(const std::string& text, size_t width);
// Without the characters below 33 at both ends.
std::string TrimControls(const std::string& text);

}  // namespace zo::avr
