#pragma once
// Whether a label shows its text as written: a text that looks like markup must take the room
// of its characters, not that of a rendered (and shortened) rich text.
#include <gtest/gtest.h>

#include <QLabel>

namespace kvtu::test {

inline void expect_shown_as_written(const QLabel& label) {
    QLabel plain;
    plain.setFont(label.font());
    plain.setWordWrap(label.wordWrap());
    plain.setTextFormat(Qt::PlainText);
    plain.setText(label.text());
    EXPECT_EQ(label.sizeHint(), plain.sizeHint()) << label.objectName().toStdString();
}

}  // namespace kvtu::test
