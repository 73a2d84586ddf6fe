#include "profile.h"

#include "atomic_file.h"

namespace kvtu {

namespace {

constexpr std::string_view blanks = " \t\r\n\v\f";
constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";
// Every read takes the whole file into memory: a file larger than any profile could hold is
// taken as unreadable rather than held.
constexpr std::size_t largest_file_size = 16 * 1024 * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool same_name(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(left[i]) != lower(right[i])) return false;
    }
    return true;
}

// The whole file; nothing when it is no regular file, is too large or cannot be read.
std::string whole_file(const std::string& file) {
    FileContent content = read_whole_file(file, largest_file_size);
    return content.error == 0 ? std::move(content.bytes) : std::string();
}

std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, profile_value_limit));
}

}  // namespace

std::string read_profile_text(std::string_view content, std::string_view section,
                              std::string_view key) {
    std::string_view rest = content;
    // Editors on other systems may begin a file with a byte order mark; it is no part of the
    // first line.
    if (rest.starts_with(utf8_byte_order_mark)) rest.remove_prefix(utf8_byte_order_mark.size());

    bool in_section = false;
    while (!rest.empty()) {
        // CR, LF and CR LF each end a line, mixed as they come: the lines that a CR LF seems
        // to hold between its two characters are empty, and empty lines carry nothing.
        const auto line_end = rest.find_first_of("\r\n");
        const std::string_view line = trimmed(rest.substr(0, line_end));
        rest = line_end == std::string_view::npos ? std::string_view{} : rest.substr(line_end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const auto close = line.rfind(']');
            if (close != std::string_view::npos) {
                // Only the first section of a name is read, as the platform's profile
                // functions do.
                if (in_section) return {};
                in_section = same_name(trimmed(line.substr(1, close - 1)), section);
                continue;
            }
        }
        if (!in_section) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (same_name(trimmed(line.substr(0, equals)), key)) {
            return unquoted(trimmed(line.substr(equals + 1)));
        }
    }
    return {};
}

std::string read_profile_string(const std::string& file, std::string_view section,
                                std::string_view key) {
    return read_profile_text(whole_file(file), section, key);
}

std::string read_profile_file(const std::string& file) {
    return whole_file(file);
}

}  // namespace kvtu
