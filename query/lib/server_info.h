#pragma once
// The status query behind the recieveserverinfo export, on the caller's result variable.
#include "kvtuquery.h"

namespace kvtu::query_library {

// The fixed destination: the game server on this machine.
inline constexpr const char* server_host = "127.0.0.1";
inline constexpr int server_port = 2303;

// Resizes the variable to the slots of the reference layout, writes slot 0 from the address
// parts, queries the server with a new client adopted by `owner` and decodes a valid reply into
// the slots. Raises RangeError for a reply with too few parts and SocketError for the network;
// what was written before stays written. Without an owner (or one that adopts nothing) the
// client is released when the query returns, so no socket outlives the call.
void query_server_info(kvtu_component* owner, const char* address_part1, kvtu_string address_part2,
                       kvtu_string_array* result);

}  // namespace kvtu::query_library
