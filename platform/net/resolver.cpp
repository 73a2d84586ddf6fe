#include "platform/net/resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <strings.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/core/errors.h"

namespace kvtu::net {

namespace {

// The resolver reports its own codes, not errno values. A socket error carries a system error
// number, so each failure is mapped to the errno whose text says best what went wrong: a name
// without an IPv4 address reads "No such device or address" (ENXIO), a resolver that could not
// be reached for now "Resource temporarily unavailable" (EAGAIN), and a failure of the system
// underneath keeps its own errno.
int resolver_errno(int code) {
    switch (code) {
        case EAI_SYSTEM:
            return errno != 0 ? errno : EIO;
        case EAI_AGAIN:
            return EAGAIN;
        case EAI_MEMORY:
            return ENOMEM;
        default:
            return ENXIO;
    }
}

}  // namespace

in_addr resolve_host(const std::string& host) {
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
    if (strcasecmp(host.c_str(), "localhost") == 0) {
        address.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One kind of socket is enough: the answer is only the address.
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    errno = 0;
    const int code = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (code != 0 || found == nullptr) throw_socket_error(resolver_errno(code));
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
}

}  // namespace kvtu::net
