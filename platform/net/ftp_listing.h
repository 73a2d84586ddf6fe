#pragma once
// The detailed listing an FTP server sends for LIST, taken apart into its items. The format is
// recognised from the first line that holds an item: the Unix style of "ls -l" or the MS-DOS
// style. A line that does not fit the recognised format, and every line of a listing in neither
// format, is taken whole as a name, so that nothing the server listed is dropped.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvtu::net {

struct FtpListItem {
    std::string file_name;
    std::uint64_t size = 0;  // as listed; 0 for folders and where the listing gives none
    bool is_folder = false;
};

enum class FtpListingFormat { unix_style, msdos_style, unknown };

// Lines that hold only blanks and tabs are skipped, and so is a leading "total" line.
std::vector<FtpListItem> parse_ftp_listing(std::string_view text);

// One line of each style; nothing when the line is not in that style.
std::optional<FtpListItem> parse_unix_listing_line(std::string_view line);
std::optional<FtpListItem> parse_msdos_listing_line(std::string_view line);

}  // namespace kvtu::net
