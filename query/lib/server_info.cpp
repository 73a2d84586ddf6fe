#include "server_info.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/net/udp_client.h"
#include "query/status_exchange.h"
#include "shared_heap.h"

namespace kvtu::query_library {

namespace {

using query::Slot;

// Writes each decoded text straight into the caller's array, so that a range error part way
// through leaves the earlier slots written.
class SharedSlotWriter : public query::SummaryWriter {
  public:
    explicit SharedSlotWriter(kvtu_string_array slots) : slots_(slots) {}
    void mission(std::string_view text) override { write(query::slot_mission, text); }
    void players(std::string_view text) override { write(query::slot_players, text); }
    void version(std::string_view text) override { write(query::slot_version, text); }
    void host_name(std::string_view text) override { write(query::slot_host_name, text); }
    void server_type(std::string_view text) override { write(query::slot_server_type, text); }
    void state_text(std::string_view text) override { write(query::slot_state_text, text); }
    void world_name(std::string_view text) override { write(query::slot_world_name, text); }

  private:
    void write(Slot slot, std::string_view text) { shared_heap::assign(slots_, slot, text); }

    kvtu_string_array slots_;
};

void release_client(void* client) {
    delete static_cast<net::UdpClient*>(client);
}

}  // namespace

void query_server_info(kvtu_component* owner, const char* address_part1, kvtu_string address_part2,
                       kvtu_string_array* result) {
    shared_heap::resize(result, query::server_info_slots);

    std::string address = address_part1 == nullptr ? std::string() : std::string(address_part1);
    address += shared_heap::view(address_part2);
    shared_heap::assign(*result, query::slot_address, address);

    auto client = std::make_unique<net::UdpClient>();
    net::UdpClient& exchange_client = *client;
    if (owner != nullptr && owner->adopt != nullptr) {
        owner->adopt(owner, client.release(), &release_client);
    }

    net::UdpClient::Buffer buffer;
    const std::string_view reply =
        query::request_status(exchange_client, server_host, server_port, buffer);
    if (!query::reply_valid(reply)) {
        return;
    }
    // Only the decoded texts are copied, straight onto the shared heap.
    const query::ReplyPartViews parts = query::reply_part_views(reply);
    SharedSlotWriter writer(*result);
    query::decode_reply(parts, writer);
}

}  // namespace kvtu::query_library
