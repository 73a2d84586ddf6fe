#pragma once
// The shell's "open": starts a program or hands a document, web address or mail link to the
// desktop. Nothing waits for the started process and no result is reported, as designed.
#include <string>

namespace kvtu {

// An executable file is started directly, its parameter string split like a Windows command
// line, in the working folder (empty: the caller's current folder); anything else goes to
// xdg-open. Failures are silent.
void shell_open(const std::string& file, const std::string& parameters,
                const std::string& working_folder);

}  // namespace kvtu
