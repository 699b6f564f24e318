#pragma once
// Text helpers that every path and option text leans on.

#include <string>
#include <string_view>

namespace zo {

// The text followed by (width - length) fill characters; unchanged when that is less than 1.
std::string PadRight(std::string_view text, int width, char fill = ' ');

// The n-th field (from 1) of the text split at the delimiter: runs of blanks
// collapsed to one, each field trimmed of blanks and control characters.
// Empty when n < 1 or the text has fewer than n fields.
std::string GetDelimField(std::string_view text, char delimiter, int n);

}  // namespace zo
