#pragma once

#include <string>
#include <vector>

namespace telmaq {

// A command line cut into words the way a POSIX shell cuts them, without anything else a
// shell would do: no variables, no globbing, no redirection. Single quotes keep everything
// literally; inside double quotes a backslash escapes only \ " $ ` and a line break;
// outside quotes a backslash keeps the next character literally and a backslash before a
// line break joins the lines.
struct CommandLineWords
{
    bool ok = false;
    std::vector<std::string> words;
    // Why the line could not be split (an unterminated quote or a trailing backslash).
    std::string error;
};

CommandLineWords splitCommandLine(const std::string& commandLine);

// A command line that splitCommandLine reads back as the one word given: the word itself when
// nothing in it is special to the splitting, so plain paths stay as the user knows them, else
// the word in single quotes (a quote inside written as '\'').
std::string quoteCommandWord(const std::string& word);

} // namespace telmaq
