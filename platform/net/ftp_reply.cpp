#include "platform/net/ftp_reply.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/core/errors.h"

namespace kvtu::net {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_reply_code(std::string_view line) {
    return line.size() >= 3 && std::all_of(line.begin(), line.begin() + 3, is_digit);
}

}  // namespace

void FtpReplyReader::start(std::size_t size_limit) {
    size_limit_ = size_limit;
    counted_ = 0;
}

void FtpReplyReader::add(std::string_view bytes) {
    received_.append(bytes);
}

void FtpReplyReader::clear() {
    received_.clear();
    scanned_ = 0;
    counted_ = 0;
    partial_.reset();
    partial_code_.clear();
}

std::optional<FtpReply> FtpReplyReader::take_line(std::string_view line) {
    if (!partial_) {
        if (!is_reply_code(line) || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) {
            throw_socket_error(EPROTO);
        }
        FtpReply reply;
        reply.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
        if (line.size() > 4) reply.text = std::string(line.substr(4));
        if (line.size() == 3 || line[3] == ' ') return reply;
        partial_ = std::move(reply);
        partial_code_ = std::string(line.substr(0, 3));
        return std::nullopt;
    }
    // Lines between the first and the last need not start with the code; the last one is the
    // code and a blank.
    const bool coded = line.substr(0, 3) == partial_code_;
    const bool last = coded && (line.size() == 3 || line[3] == ' ');
    partial_->text += '\n';
    if (coded && line.size() > 3 && (last || line[3] == '-')) {
        partial_->text += line.substr(4);
    } else if (!last) {
        partial_->text += line;
    }
    if (!last) return std::nullopt;
    std::optional<FtpReply> reply = std::move(partial_);
    partial_.reset();
    return reply;
}

std::optional<FtpReply> FtpReplyReader::take() {
    // Taken lines are cut from the buffer once at the end, not one by one, so that a flood of
    // short lines costs no more than their bytes.
    std::size_t begin = 0;
    std::optional<FtpReply> reply;
    while (!reply) {
        const std::size_t end = received_.find('\n', std::max(begin, scanned_));
        if (end == std::string::npos) {
            scanned_ = received_.size();
            break;
        }
        std::string_view line(received_.data() + begin, end - begin);
        counted_ += end + 1 - begin;
        if (counted_ > size_limit_) throw FtpError(ftp_reply_size_message(size_limit_));
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        reply = take_line(line);
    }
    received_.erase(0, begin);
    scanned_ = scanned_ > begin ? scanned_ - begin : 0;
    // A line without its end is part of the reply too: waiting for more of it must not
    // outgrow the limit.
    if (!reply && counted_ + received_.size() > size_limit_) {
        throw FtpError(ftp_reply_size_message(size_limit_));
    }
    return reply;
}

std::optional<std::uint16_t> passive_port(std::string_view text) {
    std::size_t at = text.find('(');
    if (at != std::string_view::npos) {
        ++at;
    } else {
        at = text.find_first_of("0123456789");
        if (at == std::string_view::npos) return std::nullopt;
        // "-1", "+1", "x1" or "1.1" hold the digit in a token of another kind.
        const char before = at > 0 ? text[at - 1] : ' ';
        if (is_letter(before) || before == '-' || before == '+' || before == '.') {
            return std::nullopt;
        }
    }
    std::array<unsigned, 6> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != ',') return std::nullopt;
            ++at;
        }
        const std::size_t start = at;
        unsigned value = 0;
        for (; at < text.size() && is_digit(text[at]); ++at) {
            value = std::min(value * 10 + static_cast<unsigned>(text[at] - '0'), 256u);
        }
        if (at == start || value > 255) return std::nullopt;
        numbers[i] = value;
    }
    // A seventh number, or the sixth run into letters or a fraction, is no "h1,...,p2".
    if (at < text.size()) {
        const char after = text[at];
        if (after == ',' || is_letter(after) ||
            (after == '.' && at + 1 < text.size() && is_digit(text[at + 1]))) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint16_t>(numbers[4] * 256 + numbers[5]);
}

}  // namespace kvtu::net
