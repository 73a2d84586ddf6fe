#pragma once
// Whether a label shows its text as written: a text that looks like markup must take the room
// of its characters, not that of a rendered (and shortened) rich text.
#include <gtest/gtest.h>

#include <QLabel>
#include <string>

#include "status_reply.h"

namespace kvtu::test {

inline void expect_shown_as_written(const QLabel& label) {
    QLabel plain;
    plain.setFont(label.font());
    plain.setWordWrap(label.wordWrap());
    plain.setTextFormat(Qt::PlainText);
    plain.setText(label.text());
    EXPECT_EQ(label.sizeHint(), plain.sizeHint()) << label.objectName().toStdString();
}

// A game server's reply whose version, host name and mission look like markup, and the value
// labels (named alike in both programs) that show them.
inline const std::string markup_host_name = "<img src=\"/etc/hostname\">Host";
inline constexpr const char* markup_label_names[] = {"server_hostname", "server_version",
                                                     "server_mission"};
inline std::string reply_with_markup() {
    return StatusReply()
        .set(4, "<b>1.96</b>")
        .set(8, markup_host_name)
        .set(14, "<h1>Big</h1>")
        .text();
}

}  // namespace kvtu::test
