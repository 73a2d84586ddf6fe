#pragma once
// Text is bytes in std::string; widgets take QString. One rule at that boundary: bytes that are
// valid UTF-8 show as UTF-8 (the desktop's own text); any other bytes show as Windows-1252, the
// text of a Windows game server's names and of old style files. What the user types is stored as
// UTF-8, so no typed character is lost. A name that must go back to the file system byte for byte
// is kept as its bytes beside the shown text, never rebuilt from it.
#include <QString>
#include <string>
#include <string_view>

namespace kvtu::ui {

bool valid_utf8(std::string_view bytes);

// The character that Windows-1252 gives a byte; the five bytes that code page leaves unassigned
// keep their own value (C1 controls), as the platform's conversion keeps them.
char16_t windows_1252_character(unsigned char byte);

QString to_qstring(std::string_view text);

std::string to_bytes(const QString& text);

}  // namespace kvtu::ui
