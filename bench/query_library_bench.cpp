// The query library's call as an outside program makes it -- `recieveserverinfo` of the built
// libkvtuquery, a new client per call, released by its owner afterwards -- against the least a
// status query over a fresh socket can cost: socket, its receive time-out, send, blocking
// receive, close. Both ask the same game server on 127.0.0.1:2303, which answers with a
// complete reply.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "answering_servers.h"
#include "interleaved.h"
#include "kvtuquery.h"
#include "status_reply.h"

namespace {

constexpr int library_port = 2303;
constexpr int calls_per_sample = 100;
constexpr int rounds = 101;
// A lost datagram would leave the bare receive waiting for ever; loopback loses none, but a
// benchmark must end. Each fresh socket gets the wait the library's client sets on its own
// socket by default, with the same one setsockopt, so that the baseline does no less work.
constexpr int reply_wait_ms = 2000;

// Releases what it adopted when asked, as a caller's component does when it is released.
struct Owner {
    kvtu_component component{&Owner::adopt};
    std::vector<std::pair<void*, void (*)(void*)>> adopted;

    static void adopt(kvtu_component* self, void* object, void (*release)(void*)) {
        reinterpret_cast<Owner*>(self)->adopted.emplace_back(object, release);
    }
    void release_all() {
        for (const auto& [object, release] : adopted) release(object);
        adopted.clear();
    }
};

double library_calls() {
    Owner owner;
    kvtu_string_array result = nullptr;
    kvtu_string error = nullptr;
    const double seconds = kvtu::bench::timed([&] {
        for (int i = 0; i < calls_per_sample; ++i) {
            if (recieveserverinfo(&owner.component, "127.0.0.1:", nullptr, &result, &error) != 0) {
                throw std::runtime_error(std::string("library call failed: ") + error);
            }
            owner.release_all();
        }
    });
    // Slot 2 is written only from a valid reply.
    if (kvtu_array_length(result) < 3 || result[2] == nullptr) {
        throw std::runtime_error("the library call got no valid reply");
    }
    kvtu_array_free(result);
    return seconds;
}

double bare_round_trips() {
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    destination.sin_port = htons(library_port);
    const std::string request = "\\status\\";
    const timeval limit{reply_wait_ms / 1000, (reply_wait_ms % 1000) * 1000};
    std::array<char, 8192> buffer;
    return kvtu::bench::timed([&] {
        for (int i = 0; i < calls_per_sample; ++i) {
            const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            if (handle < 0) throw std::runtime_error("socket");
            if (setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) {
                throw std::runtime_error("setsockopt SO_RCVTIMEO");
            }
            sendto(handle, request.data(), request.size(), 0,
                   reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
            if (recv(handle, buffer.data(), buffer.size(), 0) <= 0) {
                throw std::runtime_error("no reply from 127.0.0.1:" + std::to_string(library_port) +
                                         " within " + std::to_string(reply_wait_ms) + " ms");
            }
            close(handle);
        }
    });
}

}  // namespace

int main() {
    try {
        kvtu::bench::AnsweringServers server(1, kvtu::test::StatusReply().text(), library_port);
        library_calls();  // warm-up: loads, caches, the server's thread
        bare_round_trips();
        std::printf(
            "Query library: recieveserverinfo vs a bare fresh-socket round trip, %d calls"
            " a sample\n",
            calls_per_sample);
        const auto figures = kvtu::bench::run_interleaved(
            {{"recieveserverinfo (libkvtuquery)", library_calls, calls_per_sample, "us"},
             {"bare fresh-socket UDP round trip", bare_round_trips, calls_per_sample, "us"}},
            rounds);
        kvtu::bench::print_ratio(figures[0], figures[1], "<= 1.05x");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "query library bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
