#pragma once
// Host names to IPv4 addresses, the same way for every client of this layer.
#include <netinet/in.h>

#include <string>

namespace kvtu::net {

// A dotted address is taken as is, "localhost" in any letter case is 127.0.0.1, and any other
// name goes to the system's resolver, whose first IPv4 address is used. A name that gives no
// address raises SocketError saying that the host was not found, with the resolver's own text;
// a failure of the system underneath the resolver raises the socket error of its errno.
in_addr resolve_host(const std::string& host);

}  // namespace kvtu::net
