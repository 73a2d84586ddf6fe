#pragma once
// The content of the hive in memory: a tree of keys below HKEY_CURRENT_USER, each with its values
// in the order they were first stored. Key and value names match regardless of ASCII case, as
// in the registry, and keep the case they were created with.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvtu::hive {

// Value kinds, numbered as the registry numbers them.
inline constexpr std::uint32_t reg_none = 0;
inline constexpr std::uint32_t reg_sz = 1;
inline constexpr std::uint32_t reg_expand_sz = 2;
inline constexpr std::uint32_t reg_binary = 3;
inline constexpr std::uint32_t reg_dword = 4;

struct Value {
    std::string name;  // empty for the key's default value
    std::uint32_t kind = reg_none;
    std::string data;  // raw bytes; a text keeps its terminating NUL
};

struct Key {
    std::string name;
    std::vector<Value> values;
    std::vector<Key> subkeys;
};

bool same_name(std::string_view a, std::string_view b);

// A key path from the root, "Software\\Zelvane\\KVTU Vavaver", split at the backslashes. The
// empty path is the root itself. Paths with empty parts, or parts that the hive's text form
// cannot hold (line breaks, NUL), give nothing.
std::optional<std::vector<std::string>> split_path(std::string_view path);

// A value name that the hive's text form can hold.
bool storable_name(std::string_view name);

const Key* find_key(const Key& root, const std::vector<std::string>& path);
Key* find_key(Key& root, const std::vector<std::string>& path);
// Finds the key, creating it and every missing key above it.
Key& make_key(Key& root, const std::vector<std::string>& path);

const Value* find_value(const Key& key, std::string_view name);
// Replaces a value of the same name in place, or appends it.
void set_value(Key& key, Value value);
bool remove_value(Key& key, std::string_view name);

}  // namespace kvtu::hive
