#include "errors.h"

#include <cstring>

namespace kvtu {

namespace {
std::string system_text(int error_number) {
    return std::strerror(error_number);
}
}  // namespace

std::string range_check_message() {
    return "Range check error";
}

std::string overflow_message() {
    return "Arithmetic overflow error";
}

std::string invalid_integer_message(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

std::string socket_error_message(int error_number) {
    return "Socket Error # " + std::to_string(error_number) + "\n" + system_text(error_number);
}

std::string host_not_found_message(const std::string& host, const std::string& resolver_text) {
    return "Host \"" + host + "\" not found.\n" + resolver_text;
}

std::string invalid_data_type_message(const std::string& value_name) {
    return "Invalid data type for '" + value_name + "'";
}

std::string failed_get_data_message(const std::string& value_name) {
    return "Failed to get data for '" + value_name + "'";
}

std::string failed_set_data_message(const std::string& value_name) {
    return "Failed to set data for '" + value_name + "'";
}

std::string cannot_open_file_message(const std::string& path, int error_number) {
    return "Cannot open file \"" + path + "\". " + system_text(error_number);
}

std::string cannot_create_file_message(const std::string& path, int error_number) {
    return "Cannot create file \"" + path + "\". " + system_text(error_number);
}

std::string jpeg_error_message(int message_code) {
    return "JPEG error #" + std::to_string(message_code);
}

std::string out_of_memory_message() {
    return "Out of memory";
}

std::string already_connected_message() {
    return "Already connected.";
}

std::string not_connected_message() {
    return "Not connected.";
}

std::string destination_file_exists_message() {
    return "Destination file already exists.";
}

std::string cannot_write_file_message(const std::string& path, int error_number) {
    return "Cannot write file \"" + path + "\". " + system_text(error_number);
}

namespace {
// What the programs do about a settings file they cannot use.
constexpr const char* kept_as_it_is =
    " It is left as it is, and the program runs without settings until the file is mended or "
    "removed.";
}  // namespace

std::string settings_file_unparsable_message(const std::string& path, std::size_t line) {
    return "The settings file \"" + path + "\" cannot be read: line " + std::to_string(line) +
           " is not understood." + kept_as_it_is;
}

std::string settings_file_not_regular_message(const std::string& path) {
    return "The settings file \"" + path + "\" is not a regular file." + kept_as_it_is;
}

std::string settings_file_unreadable_message(const std::string& path, int error_number) {
    return "The settings file \"" + path + "\" cannot be read. " + system_text(error_number) + "." +
           kept_as_it_is;
}

void throw_range_error() {
    throw RangeError(range_check_message());
}

void throw_socket_error(int error_number) {
    throw SocketError(socket_error_message(error_number));
}

}  // namespace kvtu
