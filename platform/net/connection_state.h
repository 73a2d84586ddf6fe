#pragma once
// Whether this machine looks connected to a network beyond itself: an interface other than
// loopback is up and running with an IPv4 address, and the IPv4 routing table has a default
// route. No traffic is sent, so the answer comes at once; it says nothing about whether a
// given server can be reached.
#include <string_view>

namespace kvtu {

bool internet_connected();

// True when the text of /proc/net/route names a default route (destination and mask 0) that
// is up, on an interface other than "lo".
bool has_default_route(std::string_view proc_net_route);

}  // namespace kvtu
