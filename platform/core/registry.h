#pragma once
// The per-user settings store: a stand-in for the registry root HKEY_CURRENT_USER, kept in one
// hive file per user (regedit export text format, see hive_format.h). Each operation of the
// programs creates an accessor of its own, opens a key, reads and writes values and releases
// the accessor, which closes the key, also when an error ends the operation early.
//
// Nothing is cached: every open and every read looks at the current hive file, and every write
// replaces it atomically under an advisory lock, so any number of processes and any number of
// accessors (also nested ones on the same key) may use the store at once and no write is lost.
// A hive file that cannot be parsed is never overwritten; opens then fail.
#include <memory>
#include <string>
#include <string_view>

namespace kvtu {

class Registry {
  public:
    Registry();   // root HKEY_CURRENT_USER, full access, no key open
    ~Registry();  // closes the key
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Opens a key by its full path from the root ("Software\\Zelvane\\KVTU Vavaver"), creating
    // it and every missing key above it when can_create is true. Reports success; a failure
    // (hive that cannot be read, parsed or written) raises nothing. Names match regardless of
    // ASCII case.
    bool open_key(std::string_view path, bool can_create);
    void close_key();
    bool key_open() const;

    // A missing value, or one without data, reads as the empty text. REG_SZ and REG_EXPAND_SZ
    // read up to their first NUL, not expanded. Any other kind raises RegistryError
    // "Invalid data type for '<name>'"; a hive that cannot be read at that moment "Failed to get
    // data for '<name>'". With no key open the result is the empty text.
    std::string read_string(std::string_view name);
    // Stores the text (every byte of it) as REG_SZ, creating or replacing the value; a refusal,
    // with no key open too, raises RegistryError "Failed to set data for '<name>'".
    void write_string(std::string_view name, std::string_view text);
    // Removes the value; reports whether it was removed. A missing value is no error.
    bool delete_value(std::string_view name);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A flag is on exactly when its text is "yes" (case-sensitive).
bool flag_on(std::string_view text);

}  // namespace kvtu
