#pragma once
// A console command line in the system's form: one text whose words are
// separated by blanks and tabs; double quotes group a word with blanks, and
// "" inside quotes is one quote character; a backslash is an ordinary
// character. The console runner splits a command line by these rules, and the
// builds put every name into it as one quoted word, so no name (whatever
// quotes or blanks it holds) can end its word or start another.

#include <string>
#include <string_view>
#include <vector>

namespace zo {

// The words of a command line, unchanged otherwise (backslashes stay).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The word quoted so that SplitCommandLine gives it back whole.
std::string QuoteCommandWord(std::string_view word);
// The word as it stands when it is not empty and holds no blank, tab or
// quote; otherwise quoted as QuoteCommandWord quotes it.
std::string CommandWord(std::string_view word);

}  // namespace zo
