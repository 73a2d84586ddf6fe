#include "launcher/server_panel.h"

#include <QLabel>

#include "platform/ui/text.h"

namespace kvtu::launcher {

namespace {

void set_caption(QLabel& label, std::string_view text) {
    label.setText(ui::to_qstring(std::string(text)));
}

}  // namespace

std::string memo_entry(std::size_t index, const std::string& part) {
    return "String = \r\nIndex = " + std::to_string(index) + "\r\n\r\n" + part;
}

std::string ping_text(std::uint32_t round_trip_ms) {
    if (round_trip_ms == 0) return "<1ms";
    return "=" + std::to_string(round_trip_ms) + "ms";
}

void LabelWriter::mission(std::string_view text) {
    set_caption(labels_.server_mission, text);
}
void LabelWriter::players(std::string_view text) {
    set_caption(labels_.server_player, text);
}
void LabelWriter::version(std::string_view text) {
    set_caption(labels_.server_version, text);
}
void LabelWriter::host_name(std::string_view text) {
    set_caption(labels_.server_hostname, text);
}
void LabelWriter::server_type(std::string_view text) {
    set_caption(labels_.server_status, text);
}
void LabelWriter::state_text(std::string_view text) {
    set_caption(labels_.server_action, text);
}
void LabelWriter::world_name(std::string_view text) {
    set_caption(labels_.server_world, text);
}

}  // namespace kvtu::launcher
