#include "connection_state.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <fstream>
#include <sstream>
#include <string>

namespace kvtu {

namespace {

constexpr unsigned long route_up_flag = 0x1;  // RTF_UP

bool non_loopback_ipv4_interface_up() {
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return false;
    bool found = false;
    for (ifaddrs* entry = interfaces; entry != nullptr && !found; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        const unsigned flags = entry->ifa_flags;
        found = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
    }
    freeifaddrs(interfaces);
    return found;
}

}  // namespace

bool has_default_route(std::string_view proc_net_route) {
    std::istringstream lines{std::string(proc_net_route)};
    std::string line;
    std::getline(lines, line);  // column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string interface_name, destination, gateway, flags_text, refcnt, use, metric, mask;
        if (!(fields >> interface_name >> destination >> gateway >> flags_text >> refcnt >> use >>
              metric >> mask)) {
            continue;
        }
        unsigned long flags = 0;
        try {
            flags = std::stoul(flags_text, nullptr, 16);
        } catch (const std::exception&) {
            continue;
        }
        if (interface_name != "lo" && destination == "00000000" && mask == "00000000" &&
            (flags & route_up_flag)) {
            return true;
        }
    }
    return false;
}

bool internet_connected() {
    if (!non_loopback_ipv4_interface_up()) return false;
    std::ifstream route_file("/proc/net/route");
    if (!route_file) return false;
    std::stringstream content;
    content << route_file.rdbuf();
    return has_default_route(content.str());
}

}  // namespace kvtu
