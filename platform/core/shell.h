#pragma once
// The shell's "open": starts a program or hands a document, web address or mail link to the
// desktop. Nothing waits for the started process and no result is reported, as designed.
#include <string>
#include <vector>

namespace kvtu {

// An executable regular file is started directly, its parameter string split like a Windows
// command line, in the working folder (empty: the caller's current folder); anything else goes
// to xdg-open. A working folder that does not exist, an empty file name or a missing xdg-open
// start nothing. Failures are silent; nothing is thrown.
void shell_open(const std::string& file, const std::string& parameters,
                const std::string& working_folder);

// Splits a parameter string into arguments the way Windows programs read their command line:
// blanks and tabs separate, double quotes group, 2n backslashes before a quote give n
// backslashes and a quote that groups, 2n+1 give n backslashes and a literal quote, other
// backslashes are kept; inside quotes a doubled quote gives one literal quote and ends the
// quoted part.
std::vector<std::string> split_command_line(const std::string& parameters);

}  // namespace kvtu
