// Times one status exchange as the programs run it (request, validity test, split, decode) on
// loopback against the fake game server, next to a bare UDP request and response with the same
// server and the same bytes, and prints how much the exchange adds to the bare round trip.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "fake_game_server.h"
#include "platform/net/udp_client.h"
#include "query/status_exchange.h"
#include "status_reply.h"

namespace {

// One server for both benchmarks, answering every request with a complete reply.
struct AnsweringServer {
    kvtu::test::FakeGameServer server;
    AnsweringServer() { server.answer_always(kvtu::test::StatusReply().text()); }
};

kvtu::test::FakeGameServer& server() {
    static AnsweringServer instance;
    return instance.server;
}

void status_exchange(benchmark::State& state) {
    kvtu::net::UdpClient client;
    const int port = server().port();
    for (auto _ : state) {
        const std::string reply = kvtu::query::request_status(client, "127.0.0.1", port);
        if (!kvtu::query::reply_valid(reply)) {
            state.SkipWithError("no valid reply");
            break;
        }
        kvtu::TStringDynArray info(kvtu::query::server_info_slots);
        kvtu::query::SlotWriter writer(info);
        kvtu::query::decode_reply(kvtu::query::reply_parts(reply), writer);
        benchmark::DoNotOptimize(info.data());
    }
}

void bare_round_trip(benchmark::State& state) {
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle < 0) throw std::runtime_error("socket");
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    destination.sin_port = htons(static_cast<std::uint16_t>(server().port()));
    const std::string request(kvtu::query::status_request);
    std::array<char, kvtu::net::UdpClient::buffer_size> buffer;
    for (auto _ : state) {
        sendto(handle, request.data(), request.size(), 0,
               reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
        pollfd waiting{handle, POLLIN, 0};
        if (poll(&waiting, 1, 2000) != 1) {
            state.SkipWithError("no reply");
            break;
        }
        benchmark::DoNotOptimize(recv(handle, buffer.data(), buffer.size(), 0));
    }
    close(handle);
}

BENCHMARK(status_exchange)->Name("status_exchange")->UseRealTime();
BENCHMARK(bare_round_trip)->Name("bare_round_trip")->UseRealTime();

// The console report, keeping each benchmark's mean real time for the ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> real_time;

    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                real_time[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto exchange = reporter.real_time.find("status_exchange");
    const auto bare = reporter.real_time.find("bare_round_trip");
    if (exchange == reporter.real_time.end() || bare == reporter.real_time.end() ||
        bare->second <= 0) {
        return 0;
    }
    std::printf("status exchange / bare round trip: %.2f\n", exchange->second / bare->second);
    return 0;
}
