#include "platform/process/CommandLine.h"

namespace telmaq {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// Characters that a backslash escapes inside double quotes; before any other character the
// backslash stays, as the shell keeps it.
bool escapableInDoubleQuotes(char c)
{
    return c == '\\' || c == '"' || c == '$' || c == '`' || c == '\n';
}

bool specialToSplitting(char c)
{
    return isBlank(c) || c == '\'' || c == '"' || c == '\\';
}

} // namespace

std::string quoteCommandWord(const std::string& word)
{
    bool plain = !word.empty();
    for (char c : word)
        plain = plain && !specialToSplitting(c);
    if (plain)
        return word;
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

CommandLineWords splitCommandLine(const std::string& line)
{
    CommandLineWords result;
    std::string word;
    // A word exists once anything, even an empty pair of quotes, has been seen: '' is an
    // argument of its own.
    bool inWord = false;
    std::size_t i = 0;
    const std::size_t n = line.size();

    while (i < n) {
        const char c = line[i];
        if (isBlank(c)) {
            if (inWord) {
                result.words.push_back(word);
                word.clear();
                inWord = false;
            }
            ++i;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) {
                result.error = "unterminated single quote";
                return result;
            }
            word.append(line, i + 1, close - i - 1);
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char d = line[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < n && escapableInDoubleQuotes(line[i + 1])) {
                    if (line[i + 1] != '\n')
                        word += line[i + 1];
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
            if (!closed) {
                result.error = "unterminated double quote";
                return result;
            }
            inWord = true;
        } else if (c == '\\') {
            if (i + 1 >= n) {
                result.error = "trailing backslash";
                return result;
            }
            if (line[i + 1] != '\n') {
                word += line[i + 1];
                inWord = true;
            }
            i += 2;
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord)
        result.words.push_back(word);
    result.ok = true;
    return result;
}

} // namespace telmaq
