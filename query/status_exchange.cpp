#include "query/status_exchange.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/core/errors.h"
#include "platform/net/udp_client.h"
#include "query/explode.h"

namespace kvtu::query {

namespace {

constexpr std::size_t minimum_reply_length = 8;
constexpr std::string_view reply_marker = "gamename";

// Reply positions read by the decode.
constexpr std::size_t position_version = 4;
constexpr std::size_t position_host_name = 8;
constexpr std::size_t position_world = 12;
constexpr std::size_t position_mission = 14;
constexpr std::size_t position_first_players = 16;
constexpr std::size_t position_second_players = 18;
constexpr std::size_t position_server_type = 36;
constexpr std::size_t position_state = 38;
static_assert(std::max({position_version, position_host_name, position_world, position_mission,
                        position_first_players, position_second_players, position_server_type,
                        position_state}) < ReplyPartViews::kept,
              "the views keep every position the decode reads");

using Entry = std::pair<std::string_view, std::string_view>;

// Each table is searched in the order written here.
constexpr std::array<Entry, 2> server_types = {{{"1", "Private"}, {"0", "Public"}}};

constexpr std::array<Entry, 5> state_texts = {{
    {"2", no_mission_selected},
    {"6", "Players assignment"},
    {"9", "Debriefing"},
    {"13", "Briefing"},
    {"14", "Game in Progress"},
}};

constexpr std::array<Entry, 15> world_names = {{
    {"Tarn", "Tarnholm"},
    {"TARN", "Tarnholm"},
    {"tarn", "Tarnholm"},
    {"Lusk", "Luskvar"},
    {"LUSK", "Luskvar"},
    {"lusk", "Luskvar"},
    {"ORET", "Oretsk"},
    {"oret", "Oretsk"},
    {"Oret", "Oretsk"},
    {"Prolo", "Sablecay"},
    {"PROLO", "Sablecay"},
    {"prolo", "Sablecay"},
    {"Marn", "Marnhal"},
    {"MARN", "Marnhal"},
    {"marn", "Marnhal"},
}};

template <std::size_t N>
std::optional<std::string_view> look_up(const std::array<Entry, N>& table, std::string_view key) {
    for (const auto& [code, text] : table) {
        if (code == key) return text;
    }
    return std::nullopt;
}

void write_slot(TStringDynArray& info, Slot slot, std::string_view text) {
    if (info.size() <= slot) throw_range_error();
    info[slot].assign(text);
}

// The decode, for the parts as texts or as views.
template <class Parts>
void decode_parts(const Parts& parts, SummaryWriter& writer) {
    if (part_at(parts, position_world).empty()) {
        writer.mission(no_mission_selected);
    } else {
        writer.mission(part_at(parts, position_mission));
    }

    const std::string_view first_players = part_at(parts, position_first_players);
    const std::string_view second_players = part_at(parts, position_second_players);
    std::string players;
    players.reserve(first_players.size() + 1 + second_players.size());
    players.append(first_players).append(1, '/').append(second_players);
    writer.players(players);

    writer.version(part_at(parts, position_version));
    writer.host_name(part_at(parts, position_host_name));

    if (auto text = server_type(part_at(parts, position_server_type))) writer.server_type(*text);
    if (auto text = state_text(part_at(parts, position_state))) writer.state_text(*text);
    if (auto text = world_name(part_at(parts, position_world))) writer.world_name(*text);
}

// Steps 1 to 3 of the exchange.
void send_request(net::UdpClient& client, const std::string& host, int port) {
    client.set_host(host);
    client.set_port(port);
    client.activate();
    client.send_text(std::string(status_request));
}

}  // namespace

bool reply_valid(std::string_view reply) {
    if (reply.size() < minimum_reply_length) return false;
    // The length counts every byte; the search sees the reply only up to its first NUL byte.
    return reply.substr(0, reply.find('\0')).find(reply_marker) != std::string_view::npos;
}

TStringDynArray reply_parts(const std::string& reply) {
    return explode("\\", reply, 0);
}

ReplyPartViews reply_part_views(std::string_view reply) {
    ReplyPartViews parts;
    parts.count = explode_first("\\", reply, 0, parts.first);
    return parts;
}

const std::string& part_at(const TStringDynArray& parts, std::size_t position) {
    if (position >= parts.size()) throw_range_error();
    return parts[position];
}

std::string_view part_at(const ReplyPartViews& parts, std::size_t position) {
    if (position >= parts.count) throw_range_error();
    // Every position the decode reads is kept; at() guards against one that is not.
    return parts.first.at(position);
}

std::optional<std::string_view> server_type(std::string_view flag) {
    return look_up(server_types, flag);
}

std::optional<std::string_view> state_text(std::string_view code) {
    return look_up(state_texts, code);
}

std::optional<std::string_view> world_name(std::string_view code) {
    return look_up(world_names, code);
}

void decode_reply(const TStringDynArray& parts, SummaryWriter& writer) {
    decode_parts(parts, writer);
}

void decode_reply(const ReplyPartViews& parts, SummaryWriter& writer) {
    decode_parts(parts, writer);
}

void SlotWriter::mission(std::string_view text) {
    write_slot(info_, slot_mission, text);
}
void SlotWriter::players(std::string_view text) {
    write_slot(info_, slot_players, text);
}
void SlotWriter::version(std::string_view text) {
    write_slot(info_, slot_version, text);
}
void SlotWriter::host_name(std::string_view text) {
    write_slot(info_, slot_host_name, text);
}
void SlotWriter::server_type(std::string_view text) {
    write_slot(info_, slot_server_type, text);
}
void SlotWriter::state_text(std::string_view text) {
    write_slot(info_, slot_state_text, text);
}
void SlotWriter::world_name(std::string_view text) {
    write_slot(info_, slot_world_name, text);
}

std::string request_status(net::UdpClient& client, const std::string& host, int port) {
    send_request(client, host, port);
    return client.receive_text();
}

std::string_view request_status(net::UdpClient& client, const std::string& host, int port,
                                net::UdpClient::Buffer& buffer) {
    send_request(client, host, port);
    return client.receive(buffer);
}

}  // namespace kvtu::query
