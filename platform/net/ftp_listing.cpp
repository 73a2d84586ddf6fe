#include "platform/net/ftp_listing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace kvtu::net {

namespace {

struct Token {
    std::string_view text;
    std::size_t end = 0;  // offset just behind the token in its line
};

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<Token> tokens_of(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && is_blank(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !is_blank(line[at])) ++at;
        if (at > start) tokens.push_back({line.substr(start, at - start), at});
    }
    return tokens;
}

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint64_t> number_of(std::string_view text) {
    if (!all_digits(text)) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool is_month(std::string_view text) {
    static constexpr std::array<std::string_view, 12> months = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3) return false;
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::find(months.begin(), months.end(), lower) != months.end();
}

// "12:00" or "2023": the last part of a Unix-style date.
bool is_time_or_year(std::string_view text) {
    if (text.size() == 4 && all_digits(text)) return true;
    const std::size_t colon = text.find(':');
    return colon != std::string_view::npos && colon >= 1 && colon <= 2 &&
           all_digits(text.substr(0, colon)) && text.size() - colon - 1 == 2 &&
           all_digits(text.substr(colon + 1));
}

bool is_permissions(std::string_view text) {
    // Ten characters, perhaps with one more that marks extended attributes.
    if (text.size() < 10 || text.size() > 11) return false;
    if (std::string_view("-dlbcpsD").find(text[0]) == std::string_view::npos) return false;
    return std::all_of(text.begin() + 1, text.begin() + 10, [](char c) {
        return std::string_view("rwxsStTlL-").find(c) != std::string_view::npos;
    });
}

// "01-31-24" or "01-31-2024"
bool is_msdos_date(std::string_view text) {
    return (text.size() == 8 || text.size() == 10) && all_digits(text.substr(0, 2)) &&
           text[2] == '-' && all_digits(text.substr(3, 2)) && text[5] == '-' &&
           all_digits(text.substr(6));
}

// "10:30AM", "10:30PM" or "22:30"
bool is_msdos_time(std::string_view text) {
    if (text.size() == 7) {
        const std::string_view half = text.substr(5);
        if (half != "AM" && half != "PM" && half != "am" && half != "pm") return false;
        text = text.substr(0, 5);
    }
    return text.size() == 5 && all_digits(text.substr(0, 2)) && text[2] == ':' &&
           all_digits(text.substr(3));
}

std::string_view trim_right(std::string_view text) {
    while (!text.empty() && (is_blank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool blank_line(std::string_view line) {
    return std::all_of(line.begin(), line.end(), is_blank);
}

// "total 24" heads a Unix-style listing and lists nothing.
bool total_line(std::string_view line) {
    const std::vector<Token> tokens = tokens_of(line);
    return tokens.size() == 2 && tokens[0].text == "total" && all_digits(tokens[1].text);
}

}  // namespace

std::optional<FtpListItem> parse_unix_listing_line(std::string_view line) {
    line = trim_right(line);
    const std::vector<Token> tokens = tokens_of(line);
    if (tokens.empty() || !is_permissions(tokens[0].text)) return std::nullopt;
    // Owner and group are free text, so the date is what places the size and the name: the
    // size stands just before the month, the name just after the time or year.
    for (std::size_t month = 2; month + 2 < tokens.size(); ++month) {
        if (!is_month(tokens[month].text)) continue;
        const auto size = number_of(tokens[month - 1].text);
        const auto day = number_of(tokens[month + 1].text);
        if (!size || !day || *day < 1 || *day > 31 || !is_time_or_year(tokens[month + 2].text)) {
            continue;
        }
        const std::size_t name_start = tokens[month + 2].end + 1;
        if (name_start >= line.size()) return std::nullopt;
        std::string_view name = line.substr(name_start);
        const bool link = tokens[0].text[0] == 'l';
        if (link) name = name.substr(0, name.find(" -> "));
        FtpListItem item;
        item.file_name = std::string(name);
        item.is_folder = tokens[0].text[0] == 'd';
        item.size = item.is_folder ? 0 : *size;
        return item;
    }
    return std::nullopt;
}

std::optional<FtpListItem> parse_msdos_listing_line(std::string_view line) {
    line = trim_right(line);
    const std::vector<Token> tokens = tokens_of(line);
    if (tokens.size() < 4 || !is_msdos_date(tokens[0].text) || !is_msdos_time(tokens[1].text)) {
        return std::nullopt;
    }
    FtpListItem item;
    if (tokens[2].text == "<DIR>") {
        item.is_folder = true;
    } else {
        const auto size = number_of(tokens[2].text);
        if (!size) return std::nullopt;
        item.size = *size;
    }
    std::size_t name_start = tokens[2].end;
    while (name_start < line.size() && is_blank(line[name_start])) ++name_start;
    item.file_name = std::string(line.substr(name_start));
    return item;
}

std::vector<FtpListItem> parse_ftp_listing(std::string_view text) {
    std::vector<FtpListItem> items;
    FtpListingFormat format = FtpListingFormat::unknown;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (blank_line(line)) continue;
        if (first) {
            first = false;
            if (total_line(line)) continue;
        }
        if (items.empty()) {
            if (parse_unix_listing_line(line)) {
                format = FtpListingFormat::unix_style;
            } else if (parse_msdos_listing_line(line)) {
                format = FtpListingFormat::msdos_style;
            }
        }
        std::optional<FtpListItem> item;
        if (format == FtpListingFormat::unix_style) item = parse_unix_listing_line(line);
        if (format == FtpListingFormat::msdos_style) item = parse_msdos_listing_line(line);
        if (!item) {
            item.emplace();
            item->file_name = std::string(trim_right(line));
        }
        items.push_back(std::move(*item));
    }
    return items;
}

}  // namespace kvtu::net
