#pragma once
// The per-user settings store: a stand-in for the registry root HKEY_CURRENT_USER, kept in one
// hive file per user (regedit export text format). Each operation of the programs creates an
// accessor of its own, opens a key, reads and writes values and releases the accessor, which
// closes the key, also when an error ends the operation early.
//
// Every open reads the current hive file; every write replaces it atomically under an advisory
// lock, so any number of processes may use the store at once and no write is lost.
#include <memory>
#include <string>

namespace kvtu {

class Registry {
public:
    Registry();  // root HKEY_CURRENT_USER, full access, no key open
    ~Registry();  // closes the key
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Opens a key by its full path from the root ("Software\\Zelvane\\KVTU Vavaver"), creating
    // it and every missing key above it when can_create is true. Reports success; a failure
    // (hive that cannot be read, parsed or written) raises nothing.
    bool open_key(const std::string& path, bool can_create);
    void close_key();
    bool key_open() const;

    // A missing value, or one without data, reads as the empty text. REG_SZ and REG_EXPAND_SZ
    // read up to their first NUL, not expanded. Any other kind raises RegistryError
    // "Invalid data type for '<name>'"; data that cannot be fetched "Failed to get data for
    // '<name>'". With no key open the result is the empty text.
    std::string read_string(const std::string& name);
    // Stores the text as REG_SZ, creating or replacing the value; a refusal raises
    // RegistryError "Failed to set data for '<name>'".
    void write_string(const std::string& name, const std::string& text);
    // Removes the value; reports whether it was removed. A missing value is no error.
    bool delete_value(const std::string& name);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A flag is on exactly when its text is "yes" (case-sensitive).
bool flag_on(const std::string& text);

}  // namespace kvtu
