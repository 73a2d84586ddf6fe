#include "hive_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kvtu::hive {

namespace {

constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";

constexpr std::string_view blanks = " \t\r";

// Hand edits leave blanks and tabs at either end of a line; they are no part of what it says.
std::string_view trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Hands out the text line by line, without the line break and the blanks around it, counting
// the lines from 1.
class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool next(std::string_view& line) {
        if (rest_.empty()) return false;
        std::size_t end = rest_.find('\n');
        line = trimmed(rest_.substr(0, end));
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }

  private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && same_name(text.substr(0, prefix.size()), prefix);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text with \\ and \" escapes from the front of `line`.
std::optional<std::string> take_quoted(std::string_view& line) {
    if (line.empty() || line.front() != '"') return std::nullopt;
    std::string text;
    for (std::size_t i = 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            line.remove_prefix(i + 1);
            return text;
        }
        if (c == '\\') {
            if (++i == line.size() || (line[i] != '\\' && line[i] != '"')) return std::nullopt;
            c = line[i];
        }
        text += c;
    }
    return std::nullopt;
}

std::optional<std::string> parse_hex_bytes(std::string_view text) {
    std::string bytes;
    if (text.empty()) return bytes;
    for (;;) {
        if (text.size() < 2) return std::nullopt;
        int high = hex_digit(text[0]);
        int low = hex_digit(text[1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        text.remove_prefix(2);
        if (text.empty()) return bytes;
        if (text.front() != ',') return std::nullopt;
        text.remove_prefix(1);
    }
}

// Hex data: `first` and, while a line ends in a backslash, the lines after it.
std::optional<std::string> take_hex_data(std::string_view first, Lines& lines) {
    std::string joined(first);
    while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        std::string_view next;
        if (!lines.next(next)) return std::nullopt;
        joined += next;
    }
    return parse_hex_bytes(joined);
}

std::optional<Value> parse_value(std::string_view line, Lines& lines) {
    Value value;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = take_quoted(line);
        if (!name) return std::nullopt;
        value.name = std::move(*name);
    }
    line = trimmed(line);
    if (line.empty() || line.front() != '=') return std::nullopt;
    line = trimmed(line.substr(1));

    if (!line.empty() && line.front() == '"') {
        auto text = take_quoted(line);
        if (!text || !line.empty()) return std::nullopt;
        value.kind = reg_sz;
        value.data = std::move(*text) + '\0';
        return value;
    }
    if (starts_with_nocase(line, "dword:")) {
        line.remove_prefix(6);
        std::uint32_t number = 0;
        if (line.size() != 8) return std::nullopt;
        for (char c : line) {
            int digit = hex_digit(c);
            if (digit < 0) return std::nullopt;
            number = number * 16 + static_cast<std::uint32_t>(digit);
        }
        value.kind = reg_dword;
        for (int shift = 0; shift < 32; shift += 8)
            value.data += static_cast<char>(number >> shift);
        return value;
    }
    if (starts_with_nocase(line, "hex:")) {
        line.remove_prefix(4);
        value.kind = reg_binary;
    } else if (starts_with_nocase(line, "hex(")) {
        line.remove_prefix(4);
        std::size_t close = line.find("):");
        if (close == 0 || close == std::string_view::npos || close > 8) return std::nullopt;
        auto [end, error] = std::from_chars(line.data(), line.data() + close, value.kind, 16);
        if (error != std::errc() || end != line.data() + close) return std::nullopt;
        line.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto data = take_hex_data(line, lines);
    if (!data) return std::nullopt;
    value.data = std::move(*data);
    return value;
}

std::optional<std::vector<std::string>> parse_key_line(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return std::nullopt;
    std::string_view path = line.substr(1, line.size() - 2);
    if (!starts_with_nocase(path, root_name)) return std::nullopt;
    path.remove_prefix(root_name.size());
    if (path.empty()) return std::vector<std::string>{};
    if (path.front() != '\\') return std::nullopt;
    return split_path(path.substr(1));
}

void append_quoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

void append_hex(std::string& out, std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) out += ',';
        auto byte = static_cast<unsigned char>(bytes[i]);
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
}

bool quotable_text(std::string_view data) {
    if (data.empty() || data.back() != '\0') return false;
    data.remove_suffix(1);
    return data.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void append_value(std::string& out, const Value& value) {
    if (value.name.empty()) {
        out += '@';
    } else {
        append_quoted(out, value.name);
    }
    out += '=';
    if (value.kind == reg_sz && quotable_text(value.data)) {
        append_quoted(out, std::string_view(value.data).substr(0, value.data.size() - 1));
    } else if (value.kind == reg_dword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number * 256 + static_cast<unsigned char>(value.data[i]);
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", number);
        out += "dword:";
        out += digits;
    } else {
        if (value.kind == reg_binary) {
            out += "hex:";
        } else {
            char kind[16];
            std::snprintf(kind, sizeof kind, "hex(%x):", value.kind);
            out += kind;
        }
        append_hex(out, value.data);
    }
    out += '\n';
}

void append_key(std::string& out, const Key& key, const std::string& path) {
    out += '[';
    out += path;
    out += "]\n";
    for (const Value& value : key.values) append_value(out, value);
    out += '\n';
    for (const Key& subkey : key.subkeys) append_key(out, subkey, path + '\\' + subkey.name);
}

}  // namespace

std::optional<Key> parse(std::string_view text, std::size_t* failed_line) {
    if (text.substr(0, utf8_byte_order_mark.size()) == utf8_byte_order_mark) {
        text.remove_prefix(utf8_byte_order_mark.size());
    }
    Lines lines(text);
    std::string_view line;
    const auto failure = [&]() -> std::optional<Key> {
        if (failed_line != nullptr) *failed_line = std::max<std::size_t>(lines.number(), 1);
        return std::nullopt;
    };
    bool more = lines.next(line);
    while (more && line.empty()) more = lines.next(line);
    if (!more || (line != header_line && line != old_header_line)) return failure();

    Key root{std::string(root_name), {}, {}};
    Key* current = nullptr;
    while (lines.next(line)) {
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            auto path = parse_key_line(line);
            if (!path) return failure();
            current = &make_key(root, *path);
        } else if (line.front() == '"' || line.front() == '@') {
            if (current == nullptr) return failure();
            auto value = parse_value(line, lines);
            if (!value) return failure();
            set_value(*current, std::move(*value));
        } else {
            return failure();
        }
    }
    return root;
}

std::string serialize(const Key& root) {
    std::string out(header_line);
    out += "\n\n";
    append_key(out, root, std::string(root_name));
    return out;
}

}  // namespace kvtu::hive
