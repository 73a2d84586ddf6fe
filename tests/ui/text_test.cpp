#include "platform/ui/text.h"

#include <gtest/gtest.h>

namespace kvtu::ui {
namespace {

TEST(TextTest, ValidUtf8ShowsAsUtf8AndAnythingElseAsWindows1252) {
    // Names from a desktop in UTF-8, three and four bytes long included.
    EXPECT_EQ(to_qstring("J\xc3\xb6rg \xe2\x82\xac \xf0\x9f\x98\x80"),
              QString::fromUtf8("J\xc3\xb6rg \xe2\x82\xac \xf0\x9f\x98\x80"));
    // A Windows game server's host name: the euro sign, curly quotes and an umlaut of 1252.
    EXPECT_EQ(to_qstring("\x80 \x93x\x94 J\xf6rg"),
              QString::fromUtf8("\xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d J\xc3\xb6rg"));
    // Bytes the code page leaves unassigned keep their value.
    EXPECT_EQ(to_qstring("\x81\x8d\x8f\x90\x9d"),
              QString(QChar(0x81)) + QChar(0x8d) + QChar(0x8f) + QChar(0x90) + QChar(0x9d));
    // One stray byte makes the whole text 1252: a valid sequence beside it is not mixed in.
    EXPECT_EQ(to_qstring("\xc3\xb6\xff"), QString::fromUtf8("\xc3\x83\xc2\xb6\xc3\xbf"));
    // NUL bytes are kept.
    EXPECT_EQ(to_qstring(std::string_view("a\0b", 3)).size(), 3);
}

TEST(TextTest, MalformedUtf8IsNotTakenForUtf8) {
    for (const char* bytes : {"\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                              "\xf5\x80\x80\x80", "\xc3", "\xe2\x82", "\x80", "\xc3\x28"}) {
        EXPECT_FALSE(valid_utf8(bytes)) << bytes;
    }
    for (const char* bytes : {"", "plain", "\xc2\x80", "\xdf\xbf", "\xe0\xa0\x80", "\xef\xbf\xbf",
                              "\xf0\x90\x80\x80", "\xf4\x8f\xbf\xbf"}) {
        EXPECT_TRUE(valid_utf8(bytes)) << bytes;
    }
}

TEST(TextTest, TypedTextIsStoredAsUtf8WithNothingReplaced) {
    const QString typed = QString::fromUtf8("p\xc3\xa4\xe2\x82\xac\xd1\x88");  // pä€ш
    EXPECT_EQ(to_bytes(typed), "p\xc3\xa4\xe2\x82\xac\xd1\x88");
    EXPECT_EQ(to_qstring(to_bytes(typed)), typed);
}

}  // namespace
}  // namespace kvtu::ui
