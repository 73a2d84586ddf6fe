#include "hive_tree.h"

#include <algorithm>

namespace kvtu::hive {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool storable_part(std::string_view part) {
    return part.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The key or value of that name among `items`, or their end.
template <typename Items>
auto find_named(Items& items, std::string_view name) {
    return std::find_if(items.begin(), items.end(),
                        [&](const auto& item) { return same_name(item.name, name); });
}

template <typename KeyType>
KeyType* find_in(KeyType& root, const std::vector<std::string>& path) {
    KeyType* key = &root;
    for (const std::string& part : path) {
        auto found = find_named(key->subkeys, part);
        if (found == key->subkeys.end()) return nullptr;
        key = &*found;
    }
    return key;
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::vector<std::string>> split_path(std::string_view path) {
    std::vector<std::string> parts;
    if (path.empty()) return parts;
    for (;;) {
        std::size_t end = path.find('\\');
        std::string_view part = path.substr(0, end);
        if (part.empty() || !storable_part(part)) return std::nullopt;
        parts.emplace_back(part);
        if (end == std::string_view::npos) return parts;
        path.remove_prefix(end + 1);
    }
}

bool storable_name(std::string_view name) {
    return storable_part(name);
}

const Key* find_key(const Key& root, const std::vector<std::string>& path) {
    return find_in(root, path);
}

Key* find_key(Key& root, const std::vector<std::string>& path) {
    return find_in(root, path);
}

Key& make_key(Key& root, const std::vector<std::string>& path) {
    Key* key = &root;
    for (const std::string& part : path) {
        auto found = find_named(key->subkeys, part);
        if (found == key->subkeys.end()) {
            key->subkeys.push_back(Key{part, {}, {}});
            key = &key->subkeys.back();
        } else {
            key = &*found;
        }
    }
    return *key;
}

const Value* find_value(const Key& key, std::string_view name) {
    auto found = find_named(key.values, name);
    return found == key.values.end() ? nullptr : &*found;
}

void set_value(Key& key, Value value) {
    auto found = find_named(key.values, value.name);
    if (found == key.values.end()) {
        key.values.push_back(std::move(value));
    } else {
        found->kind = value.kind;
        found->data = std::move(value.data);
    }
}

bool remove_value(Key& key, std::string_view name) {
    auto found = find_named(key.values, name);
    if (found == key.values.end()) return false;
    key.values.erase(found);
    return true;
}

}  // namespace kvtu::hive
