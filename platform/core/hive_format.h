#pragma once
// The hive's text form, that of the registry editor's export: the header line, a
// "[HKEY_CURRENT_USER\...]" line per key, then one line per value:
//   "name"="text"        REG_SZ, with \\ and \" escaped
//   "name"=dword:0000002a REG_DWORD
//   "name"=hex:01,02     REG_BINARY
//   "name"=hex(N):..     any other kind N (hexadecimal), REG_EXPAND_SZ being hex(2)
//   @=...                the key's default value
// Hex data may continue on the next line after a trailing backslash. Lines may end in CR LF.
// What hand edits and older exports add is read too: blanks and tabs at either end of a line,
// lines of blanks, blanks around "=", blank lines before the header, and the older header
// "REGEDIT4" (whose texts are 8-bit, as here). Writing always uses the newer header.
//
// Texts are 8-bit bytes here, not the UTF-16 of the registry editor's own files: the bytes of
// hex(1) and hex(2) data are the text's bytes followed by one NUL. A REG_SZ whose bytes the
// quoted form cannot hold (a line break, an inner NUL, no final NUL) is written as hex(1), so
// that every byte comes back as it was stored.
#include <optional>
#include <string>
#include <string_view>

#include "hive_tree.h"

namespace kvtu::hive {

inline constexpr std::string_view header_line = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view old_header_line = "REGEDIT4";
inline constexpr std::string_view root_name = "HKEY_CURRENT_USER";

// The tree of a hive text, rooted at HKEY_CURRENT_USER; nothing when the text is not a complete,
// well-formed hive (other roots and the import-only deletion forms included); `failed_line` then
// receives the number, from 1, of the line that is not understood.
std::optional<Key> parse(std::string_view text, std::size_t* failed_line = nullptr);

// The text of a tree: every key, empty ones included, parents before their subkeys.
std::string serialize(const Key& root);

}  // namespace kvtu::hive
