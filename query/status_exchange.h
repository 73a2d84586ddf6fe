#pragma once
// The game-server status exchange shared by the query library, the launcher and the browser:
// the request, the validity test of the reply, its split into parts and the decode of fixed
// positions through the server-type, game-state and world tables. Each program drives it with a
// UDP client of its own and writes the decoded texts where it needs them.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/string_array.h"
#include "platform/net/udp_client.h"

namespace kvtu::query {

inline constexpr std::string_view status_request = "\\status\\";
inline constexpr std::string_view no_mission_selected = "No mission selected";

// At least 8 bytes (all bytes counted) and "gamename" before the first NUL byte.
bool reply_valid(std::string_view reply);
// The reply split at "\" with the limit 0, seen up to its first NUL byte.
TStringDynArray reply_parts(const std::string& reply);
// The parts as far as the decode reads them (positions 0 to 38), as views into the reply, which
// must outlive them, with the number of parts of the whole split: the decode's range checks see
// what they see in reply_parts, and nothing is allocated.
struct ReplyPartViews {
    static constexpr std::size_t kept = 39;
    std::array<std::string_view, kept> first{};
    std::size_t count = 0;
};
ReplyPartViews reply_part_views(std::string_view reply);
// A position of the parts, read with the range check: a missing one raises RangeError.
const std::string& part_at(const TStringDynArray& parts, std::size_t position);
std::string_view part_at(const ReplyPartViews& parts, std::size_t position);

std::optional<std::string_view> server_type(std::string_view flag);
std::optional<std::string_view> state_text(std::string_view code);
std::optional<std::string_view> world_name(std::string_view code);

// Receives the decoded texts in the order of the decode; a rule that gives no text calls nothing.
class SummaryWriter {
  public:
    virtual ~SummaryWriter() = default;
    virtual void mission(std::string_view text) = 0;
    virtual void players(std::string_view text) = 0;
    virtual void version(std::string_view text) = 0;
    virtual void host_name(std::string_view text) = 0;
    virtual void server_type(std::string_view text) = 0;
    virtual void state_text(std::string_view text) = 0;
    virtual void world_name(std::string_view text) = 0;
};

// Reads positions 12 (14), 16, 18, 4, 8, 36, 38, 12 in this order and hands each text to the
// writer as soon as its positions are read; the first missing position raises RangeError after
// the earlier texts were written.
void decode_reply(const TStringDynArray& parts, SummaryWriter& writer);
void decode_reply(const ReplyPartViews& parts, SummaryWriter& writer);

// The reference layout of Tserver_info.
enum Slot : std::size_t {
    slot_address = 0,
    slot_mission,
    slot_players,
    slot_version,
    slot_host_name,
    slot_server_type,
    slot_state_text,
    slot_world_name,
    server_info_slots
};

// Writes the decoded texts into the slots of the reference layout; the array must hold at least
// server_info_slots elements.
class SlotWriter : public SummaryWriter {
  public:
    explicit SlotWriter(TStringDynArray& info) : info_(info) {}
    void mission(std::string_view text) override;
    void players(std::string_view text) override;
    void version(std::string_view text) override;
    void host_name(std::string_view text) override;
    void server_type(std::string_view text) override;
    void state_text(std::string_view text) override;
    void world_name(std::string_view text) override;

  private:
    TStringDynArray& info_;
};

// Steps 1 to 4 of the exchange on the given client: destination, activate, send the request,
// receive one datagram with the client's own receive time-out. Returns the raw reply (empty when
// the wait expired); socket errors raise SocketError.
std::string request_status(net::UdpClient& client, const std::string& host, int port);
// The same, received into the caller's buffer and returned as a view of it.
std::string_view request_status(net::UdpClient& client, const std::string& host, int port,
                                net::UdpClient::Buffer& buffer);

}  // namespace kvtu::query
