#pragma once
// The texts of the main window's server panel: the memo entry of a reply part, the ping text,
// and the writer that puts the decoded reply straight into the value labels.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "query/status_exchange.h"

class QLabel;

namespace kvtu::launcher {

// "String = ", the index line and an empty line, then the part, as one addition to the memo.
std::string memo_entry(std::size_t index, const std::string& part);

// "=47ms", or "<1ms" for a round trip under a millisecond; no blank anywhere.
std::string ping_text(std::uint32_t round_trip_ms);

// The panel's value labels. The launcher keeps no summary: each text goes into its label as
// soon as it is decoded, and a rule that gives no text leaves its label as it was.
struct ServerValueLabels {
    QLabel& server_mission;
    QLabel& server_player;
    QLabel& server_version;
    QLabel& server_hostname;
    QLabel& server_status;
    QLabel& server_action;
    QLabel& server_world;
};

class LabelWriter : public query::SummaryWriter {
  public:
    explicit LabelWriter(const ServerValueLabels& labels) : labels_(labels) {}
    void mission(std::string_view text) override;
    void players(std::string_view text) override;
    void version(std::string_view text) override;
    void host_name(std::string_view text) override;
    void server_type(std::string_view text) override;
    void state_text(std::string_view text) override;
    void world_name(std::string_view text) override;

  private:
    ServerValueLabels labels_;
};

}  // namespace kvtu::launcher
