#pragma once
// Game servers for the benchmarks: UDP sockets on 127.0.0.1 that answer every datagram at once
// with one standing reply. One thread serves all of them through epoll, so that ten thousand
// servers cost one thread and one descriptor each.
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

namespace kvtu::bench {

class AnsweringServers {
  public:
    // `count` servers on ports the system picks; with `port` set, one server on that port.
    AnsweringServers(std::size_t count, std::string reply, int port = 0);
    ~AnsweringServers();
    AnsweringServers(const AnsweringServers&) = delete;
    AnsweringServers& operator=(const AnsweringServers&) = delete;

    const std::vector<int>& ports() const { return ports_; }

  private:
    void serve();

    std::string reply_;
    std::vector<int> sockets_;
    std::vector<int> ports_;
    int poller_ = -1;
    int stop_event_ = -1;
    std::thread thread_;
};

}  // namespace kvtu::bench
