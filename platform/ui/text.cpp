#include "platform/ui/text.h"

#include <QByteArrayView>
#include <array>

namespace kvtu::ui {

namespace {

// 0x80 to 0x9F; every other byte is its own Latin-1 character.
constexpr std::array<char16_t, 32> windows_1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

bool valid_utf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t size = bytes.size();
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;   // bounds of the second byte, which rule out overlong forms,
        unsigned char high = 0xBF;  // surrogates and code points beyond U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length) return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80 || next > 0xBF) return false;
        }
        i += length;
    }
    return true;
}

char16_t windows_1252_character(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return windows_1252_high[byte - 0x80];
    return byte;
}

QString to_qstring(std::string_view text) {
    if (valid_utf8(text)) {
        return QString::fromUtf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    }
    QString shown(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < text.size(); ++i) {
        shown[static_cast<qsizetype>(i)] =
            QChar(windows_1252_character(static_cast<unsigned char>(text[i])));
    }
    return shown;
}

std::string to_bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace kvtu::ui
