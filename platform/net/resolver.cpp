#include "platform/net/resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <strings.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/core/errors.h"

namespace kvtu::net {

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
    // A failure of the system underneath the resolver is a socket error like any other; every
    // other failure says that this name gave no address, and the resolver's text says why.
    if (code == EAI_SYSTEM) throw_socket_error(errno != 0 ? errno : EIO);
    if (code != 0) throw SocketError(host_not_found_message(host, gai_strerror(code)));
    if (found == nullptr) throw SocketError(host_not_found_message(host, gai_strerror(EAI_NONAME)));
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
}

}  // namespace kvtu::net
