#pragma once
// Every failure of the suite is an exception derived from kvtu::Error and carries the exact
// message the user sees. Each message has exactly one formatting function here, so that no
// other file spells a user-facing error text.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace kvtu {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ConvertError : public Error {
    using Error::Error;
};
class RangeError : public Error {
    using Error::Error;
};
class FileError : public Error {
    using Error::Error;
};
class RegistryError : public Error {
    using Error::Error;
};
class SocketError : public Error {
    using Error::Error;
};
class FtpError : public Error {
    using Error::Error;
};
class JpegError : public Error {
    using Error::Error;
};
class OverflowError : public Error {
    using Error::Error;
};

// "Range check error": an index outside a dynamic array.
std::string range_check_message();
// "Arithmetic overflow error": checked integer arithmetic that left its range.
std::string overflow_message();
// "'%s' is not a valid integer value"
std::string invalid_integer_message(const std::string& text);
// "Socket Error # %d" + line break + the system's error text.
std::string socket_error_message(int error_number);
// "Host "%s" not found." + line break + the resolver's own text for why.
std::string host_not_found_message(const std::string& host, const std::string& resolver_text);
// "Invalid data type for '%s'"
std::string invalid_data_type_message(const std::string& value_name);
// "Failed to get data for '%s'"
std::string failed_get_data_message(const std::string& value_name);
// "Failed to set data for '%s'"
std::string failed_set_data_message(const std::string& value_name);
// "Cannot open file "%s". %s"
std::string cannot_open_file_message(const std::string& path, int error_number);
// "Cannot create file "%s". %s"
std::string cannot_create_file_message(const std::string& path, int error_number);
// "JPEG error #%d"
std::string jpeg_error_message(int message_code);
// "Out of memory"
std::string out_of_memory_message();
// FTP client: "Already connected.", "Not connected.", "Destination file already exists."
std::string already_connected_message();
std::string not_connected_message();
std::string destination_file_exists_message();
// FTP client limits, each naming the bound that was reached: "30 s", "300 ms", "16 MiB",
// "100 bytes" in place of %s.
// "No greeting from the FTP server within %s."
std::string ftp_greeting_time_message(long long milliseconds);
// "The FTP server's reply did not end within %s."
std::string ftp_reply_time_message(long long milliseconds);
// "The FTP server's reply is longer than %s."
std::string ftp_reply_size_message(unsigned long long bytes);
// "The FTP transfer received nothing for %s."
std::string ftp_transfer_idle_message(long long milliseconds);
// "The FTP transfer did not end within %s."
std::string ftp_transfer_time_message(long long milliseconds);
// "The folder listing is larger than %s."
std::string ftp_listing_size_message(unsigned long long bytes);
// "The file is larger than %s, more than a configuration file can be."
std::string ftp_download_size_message(unsigned long long bytes);
// "The FTP server's passive mode reply names no valid port."
std::string ftp_passive_reply_message();
// "No install folder is set: installdir is empty."
std::string install_folder_not_set_message();
// "Cannot write file "%s". %s"
std::string cannot_write_file_message(const std::string& path, int error_number);

// The settings file that cannot be used, as each program reports it once at its start:
// "The settings file "%s" cannot be read: line %d is not understood. ..."
std::string settings_file_unparsable_message(const std::string& path, std::size_t line);
// "The settings file "%s" is not a regular file. ..."
std::string settings_file_not_regular_message(const std::string& path);
// "The settings file "%s" cannot be read. %s ..." with the system's error text.
std::string settings_file_unreadable_message(const std::string& path, int error_number);

[[noreturn]] void throw_range_error();
[[noreturn]] void throw_socket_error(int error_number);

}  // namespace kvtu
