#pragma once

#include <optional>
#include <string>

namespace telmaq::dialuptool {

// One line of standard input, without its line end, read a byte at a time so that nothing
// after the line is taken from a script's input. With prompt (standard input a terminal), the
// prompt goes to standard error and what is typed is not echoed. nullopt when the input ended
// before any byte, or could not be read.
std::optional<std::string> readPasswordLine(const char* prompt = nullptr);

// Whether standard input is a terminal a prompt can be given on.
bool standardInputIsTerminal();

} // namespace telmaq::dialuptool
