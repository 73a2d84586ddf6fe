#pragma once
// The server list: the file dta/serverlist.dat and the in-memory copy the window keeps. The
// in-memory text separates lines with "\n"; the file with CR LF. Entries are taken as they are:
// nothing is checked, trimmed or normalised.
#include <string>
#include <string_view>

#include "platform/core/string_array.h"

namespace kvtu::browser {

// installdir followed by the list's literal path.
std::string server_list_path(const std::string& installdir);

// The whole file as in-memory text: CR LF, a lone LF and a lone CR each end a line. A file that
// cannot be opened or read, and anything at the path that is not a file, raise FileError
// "Cannot open file ...".
std::string load_server_list(const std::string& path);
// Replaces the whole file (created or truncated) with the text, each line break written as
// CR LF. The new list is written beside the file and renamed over it, so that a failed save
// leaves the old list whole; where that would change the file's owner or cut its hard links, or
// where only the file and not its folder may be written, it is written over in place. The file
// keeps its mode. A list that the user may not write, or a file that cannot be created, raises
// FileError "Cannot create file ..."; one that cannot be written completely "Cannot write
// file ...".
void save_server_list(const std::string& path, const std::string& text);
// The in-memory text of a file's bytes: CR LF, a lone LF and a lone CR each become one "\n";
// a file of nothing but one line break is the empty list.
std::string list_text(std::string_view bytes);
// The file's bytes of an in-memory text: each "\n" written as CR LF.
std::string list_file_bytes(std::string_view text);
// Whether anything (a file, a folder, a link) stands at the path.
bool list_file_present(const std::string& path);

// The entries of the text: one per line, leaving out the empty rest after a final line break.
TStringDynArray list_lines(std::string_view text);
// The text with the entry on a line of its own at the end: entry and line break after an empty
// text or one that ends with a line break, otherwise line break and entry.
std::string append_line(const std::string& text, const std::string& entry);

}  // namespace kvtu::browser
