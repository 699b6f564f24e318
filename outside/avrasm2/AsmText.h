#pragma once
// The text work of the assembler wrapper: the builder's "//" comments become
// avra's ";" comments, and avra's messages become "file:line: error: text"
// lines that the console runner recognises.

#include <string>
#include <vector>

namespace zo::avrasm2 {

// Every "//" outside a string or character literal starts a ";" comment.
std::string SemicolonComments(const std::string& line);

// "file(12) : Error   : text" -> "file:12: error: text" (also Warning and
// Info/Message); any other line unchanged.
std::string RewriteMessage(const std::string& line);

// The builder's options (-fI, -o file, ...) as avra's.
struct Command {
    std::vector<std::string> avraOptions;  // without the source
    std::string source;
    std::string error;  // non-empty: the command line is refused
};
Command TranslateArguments(const std::vector<std::string>& args);

}  // namespace zo::avrasm2
