#include "platform/net/ftp_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kvtu::net::FtpListItem;
using kvtu::net::parse_ftp_listing;
using kvtu::net::parse_msdos_listing_line;
using kvtu::net::parse_unix_listing_line;

std::vector<std::string> names_of(const std::vector<FtpListItem>& items) {
    std::vector<std::string> names;
    for (const FtpListItem& item : items) names.push_back(item.file_name);
    return names;
}

TEST(FtpListing, UnixLinesGiveNameSizeAndKind) {
    auto item = parse_unix_listing_line(
        "-rw-r--r--   1 kvtu     kvtu        12345 Mar 07 14:30 server.cfg");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "server.cfg");
    EXPECT_EQ(item->size, 12345u);
    EXPECT_FALSE(item->is_folder);

    item = parse_unix_listing_line("drwxr-xr-x   2 0        0            4096 Dec 31  2023 maps");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "maps");
    EXPECT_TRUE(item->is_folder);
    EXPECT_EQ(item->size, 0u);

    // No group column, blanks inside the name, and a size beyond 32 bits.
    item = parse_unix_listing_line("-rw-------  1 owner 5000000000 jan  1 09:05 my mission.pbo");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "my mission.pbo");
    EXPECT_EQ(item->size, 5000000000u);

    // An owner that is named like a month does not move the columns.
    item = parse_unix_listing_line("-rw-r--r-- 1 may staff 10 May 17 10:00 notes");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "notes");
    EXPECT_EQ(item->size, 10u);

    item = parse_unix_listing_line("lrwxrwxrwx 1 kvtu kvtu 9 Feb 02 08:00 current -> server.cfg");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "current");

    item = parse_unix_listing_line("-rw-r--r--+ 1 kvtu kvtu 3 Feb 02 08:00 acl.txt\r");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "acl.txt");

    EXPECT_FALSE(parse_unix_listing_line("total 24"));
    EXPECT_FALSE(parse_unix_listing_line("-rw-r--r-- 1 kvtu kvtu 3 Feb 02 08:00"));
    EXPECT_FALSE(parse_unix_listing_line("-rw-r--r-- 1 kvtu kvtu x3 Feb 02 08:00 name"));
    EXPECT_FALSE(parse_unix_listing_line("03-07-24  02:30PM    12 server.cfg"));
}

TEST(FtpListing, MsdosLinesGiveNameSizeAndKind) {
    auto item = parse_msdos_listing_line("03-07-24  02:30PM                12345 server.cfg");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "server.cfg");
    EXPECT_EQ(item->size, 12345u);
    EXPECT_FALSE(item->is_folder);

    item = parse_msdos_listing_line("12-31-2023  23:59       <DIR>          old missions");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->file_name, "old missions");
    EXPECT_TRUE(item->is_folder);

    EXPECT_FALSE(parse_msdos_listing_line("03-07-24  02:30PM  <FILE>  x"));
    EXPECT_FALSE(parse_msdos_listing_line("03/07/24  02:30PM  12  x"));
    EXPECT_FALSE(parse_msdos_listing_line("03-07-24  02:30PM  12"));
    EXPECT_FALSE(parse_msdos_listing_line("-rw-r--r-- 1 kvtu kvtu 3 Feb 02 08:00 a"));
}

TEST(FtpListing, UnixListingSkipsTheTotalAndBlankLines) {
    const std::string text =
        "total 12\r\n"
        "drwxr-xr-x 2 kvtu kvtu 4096 Mar 07 14:30 maps\r\n"
        " \t \r\n"
        "\r\n"
        "-rw-r--r-- 1 kvtu kvtu 17 Mar 07 14:30 server.cfg\r\n"
        "-rw-r--r-- 1 kvtu kvtu 0 Mar 07 14:30 total\r\n";
    const std::vector<FtpListItem> items = parse_ftp_listing(text);
    EXPECT_EQ(names_of(items), (std::vector<std::string>{"maps", "server.cfg", "total"}));
    EXPECT_TRUE(items[0].is_folder);
    EXPECT_EQ(items[1].size, 17u);
}

TEST(FtpListing, MsdosListingIsRecognisedFromItsFirstLine) {
    const std::string text =
        "03-07-24  02:30PM       <DIR>          maps\n"
        "03-07-24  02:31PM                   17 server.cfg\n"
        "03-07-24  02:31PM                    5 basic.cfg";
    const std::vector<FtpListItem> items = parse_ftp_listing(text);
    EXPECT_EQ(names_of(items), (std::vector<std::string>{"maps", "server.cfg", "basic.cfg"}));
    EXPECT_EQ(items[2].size, 5u);
}

TEST(FtpListing, LinesOutsideTheFormatAreKeptWholeAsNames) {
    EXPECT_EQ(names_of(parse_ftp_listing("server.cfg\r\nbasic.cfg  \r\n")),
              (std::vector<std::string>{"server.cfg", "basic.cfg"}));
    EXPECT_EQ(names_of(parse_ftp_listing("-rw-r--r-- 1 a b 3 Mar 07 14:30 one\nodd line\n")),
              (std::vector<std::string>{"one", "odd line"}));
    EXPECT_TRUE(parse_ftp_listing("").empty());
    EXPECT_TRUE(parse_ftp_listing("total 0\r\n").empty());
}

}  // namespace
