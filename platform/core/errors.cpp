#include "errors.h"

#include <cstring>

namespace kvtu {

namespace {
std::string system_text(int error_number) {
    return std::strerror(error_number);
}

// "30 s" for whole seconds, else "300 ms".
std::string duration_text(long long milliseconds) {
    if (milliseconds != 0 && milliseconds % 1000 == 0) {
        return std::to_string(milliseconds / 1000) + " s";
    }
    return std::to_string(milliseconds) + " ms";
}

// "16 MiB", "64 KiB", else "100 bytes".
std::string size_text(unsigned long long bytes) {
    constexpr unsigned long long kibibyte = 1024;
    constexpr unsigned long long mebibyte = kibibyte * kibibyte;
    if (bytes != 0 && bytes % mebibyte == 0) return std::to_string(bytes / mebibyte) + " MiB";
    if (bytes != 0 && bytes % kibibyte == 0) return std::to_string(bytes / kibibyte) + " KiB";
    return std::to_string(bytes) + " bytes";
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

std::string ftp_greeting_time_message(long long milliseconds) {
    return "No greeting from the FTP server within " + duration_text(milliseconds) + ".";
}

std::string ftp_reply_time_message(long long milliseconds) {
    return "The FTP server's reply did not end within " + duration_text(milliseconds) + ".";
}

std::string ftp_reply_size_message(unsigned long long bytes) {
    return "The FTP server's reply is longer than " + size_text(bytes) + ".";
}

std::string ftp_transfer_idle_message(long long milliseconds) {
    return "The FTP transfer received nothing for " + duration_text(milliseconds) + ".";
}

std::string ftp_transfer_time_message(long long milliseconds) {
    return "The FTP transfer did not end within " + duration_text(milliseconds) + ".";
}

std::string ftp_listing_size_message(unsigned long long bytes) {
    return "The folder listing is larger than " + size_text(bytes) + ".";
}

std::string ftp_download_size_message(unsigned long long bytes) {
    return "The file is larger than " + size_text(bytes) +
           ", more than a configuration file can be.";
}

std::string ftp_passive_reply_message() {
    return "The FTP server's passive mode reply names no valid port.";
}

std::string install_folder_not_set_message() {
    return "No install folder is set: installdir is empty.";
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
