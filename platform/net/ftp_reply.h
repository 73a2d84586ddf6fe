#pragma once
// What an FTP server says on the control connection, taken apart without a socket: bytes in as
// they arrive, whole replies out, and the port of a passive-mode reply. Everything a server can
// send passes through here, so it is kept where it can be fed directly.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvtu::net {

struct FtpReply {
    int code = 0;
    // Without the reply code; the lines of a multi-line reply joined by line breaks.
    std::string text;
};

// Cuts the control connection's bytes into replies: single-line ("220 text") and multi-line
// ("220-first" ... "220 last"). It holds at most the bytes of the reply in hand and whatever
// one add() brought beyond it.
class FtpReplyReader {
  public:
    // Starts counting: the replies taken from now until the next start may hold `size_limit`
    // bytes together, so that a reply with preliminaries before it counts as one.
    void start(std::size_t size_limit);
    void add(std::string_view bytes);
    // The next whole reply, or nothing while its last line has not arrived. A line that is no
    // reply raises the socket error EPROTO; more bytes than the limit raise FtpError.
    std::optional<FtpReply> take();
    // Forgets everything received, for a new connection.
    void clear();

  private:
    // The reply that this line completes, if any.
    std::optional<FtpReply> take_line(std::string_view line);

    std::string received_;
    std::size_t scanned_ = 0;  // received_ holds no line break before this offset
    std::size_t counted_ = 0;  // bytes of lines taken since start()
    std::size_t size_limit_ = 0;
    std::optional<FtpReply> partial_;  // a multi-line reply whose last line is still to come
    std::string partial_code_;         // its code, as the lines give it
};

// The port of a "227" reply's six numbers "h1,h2,h3,h4,p1,p2", which stand just after the
// first "(" when the text has one, else from its first digit. Each number must be a whole token
// within 0..255; nothing when any is not. The address part is checked but not returned: the
// data connection goes to the server the client already talks to.
std::optional<std::uint16_t> passive_port(std::string_view text);

}  // namespace kvtu::net
