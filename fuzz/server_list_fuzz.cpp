// Feeds arbitrary bytes to the server list reader as the content of a list file. Input layout: a
// byte n and n bytes of an entry to append, then the file's content. What must hold: the text in
// memory has no CR, is written and read back unchanged, its lines joined give it back, and an
// appended entry is its own last line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "browser/server_list.h"
#include "fuzz_check.h"

using kvtu::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvtu::fuzz::Input input{data, size};
    const std::string entry = input.counted();
    const std::string text = kvtu::browser::list_text(input.rest());
    require(text.find('\r') == std::string::npos);
    require(kvtu::browser::list_text(kvtu::browser::list_file_bytes(text)) == text);

    const kvtu::TStringDynArray lines = kvtu::browser::list_lines(text);
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    require(joined == text || joined == text + "\n");

    if (!entry.empty() && entry.find_first_of("\r\n") == std::string::npos) {
        const kvtu::TStringDynArray after =
            kvtu::browser::list_lines(kvtu::browser::append_line(text, entry));
        require(after.size() == lines.size() + 1 && after.back() == entry);
    }
    return 0;
}
