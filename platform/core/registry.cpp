#include "registry.h"

#include <functional>
#include <optional>
#include <vector>

#include "autostart_entry.h"
#include "errors.h"
#include "hive_file.h"
#include "hive_tree.h"
#include "settings_names.h"

namespace kvtu {

struct Registry::Impl {
    HiveFile file;
    std::optional<std::vector<std::string>> key;  // the open key's path parts
    std::string key_path;

    enum class Change { failed, none, made };

    // Applies `change` to the freshly read tree under the write lock and stores the result; the
    // autostart entry follows a change of its mirrored value and is put back when the store
    // fails. False when anything fails; the hive is then unchanged.
    bool update(const std::function<Change(hive::Key&)>& change,
                const std::optional<std::string_view>& mirrored_value,
                const std::optional<std::string>& entry) {
        auto lock = file.lock_for_writing();
        if (!lock) return false;
        auto root = file.load();
        if (!root) return false;
        const Change outcome = change(*root);
        if (outcome == Change::failed) return false;
        const bool mirrored = mirrored_value && autostart::mirrored(key_path, *mirrored_value);
        // The forms write their values back whenever a control is set, at every start too:
        // a write that changes nothing leaves the file alone rather than replace and flush it.
        // A mirrored value still puts its entry, which may have been lost beside it.
        if (outcome == Change::none) return !mirrored || autostart::put_entry(entry);
        if (!mirrored) return file.store(*root, *lock);
        std::optional<std::string> previous = autostart::current_entry();
        if (!autostart::put_entry(entry)) return false;
        if (file.store(*root, *lock)) return true;
        autostart::put_entry(previous);
        return false;
    }
};

Registry::Registry() : impl_(std::make_unique<Impl>()) {}

Registry::~Registry() = default;

bool Registry::open_key(std::string_view path, bool can_create) {
    close_key();
    auto parts = hive::split_path(path);
    if (!parts) return false;
    auto root = impl_->file.load();
    if (!root) return false;
    if (hive::find_key(*root, *parts) == nullptr) {
        if (!can_create) return false;
        auto create = [&](hive::Key& fresh) {
            hive::make_key(fresh, *parts);
            return Impl::Change::made;
        };
        if (!impl_->update(create, std::nullopt, std::nullopt)) return false;
    }
    impl_->key = std::move(parts);
    impl_->key_path = path;
    return true;
}

void Registry::close_key() {
    impl_->key.reset();
    impl_->key_path.clear();
}

bool Registry::key_open() const {
    return impl_->key.has_value();
}

std::string Registry::read_string(std::string_view name) {
    if (!impl_->key) return {};
    auto root = impl_->file.load();
    if (!root) throw RegistryError(failed_get_data_message(std::string(name)));
    const hive::Key* key = hive::find_key(*root, *impl_->key);
    const hive::Value* value = key == nullptr ? nullptr : hive::find_value(*key, name);
    if (value == nullptr || value->data.empty()) return {};
    if (value->kind != hive::reg_sz && value->kind != hive::reg_expand_sz) {
        throw RegistryError(invalid_data_type_message(std::string(name)));
    }
    return value->data.substr(0, value->data.find('\0'));
}

void Registry::write_string(std::string_view name, std::string_view text) {
    if (!impl_->key || !hive::storable_name(name)) {
        throw RegistryError(failed_set_data_message(std::string(name)));
    }
    std::string data(text);
    data += '\0';
    auto store = [&](hive::Key& root) {
        hive::Key& key = hive::make_key(root, *impl_->key);
        const hive::Value* held = hive::find_value(key, name);
        if (held != nullptr && held->kind == hive::reg_sz && held->data == data) {
            return Impl::Change::none;
        }
        hive::set_value(key, hive::Value{std::string(name), hive::reg_sz, data});
        return Impl::Change::made;
    };
    if (!impl_->update(store, name, autostart::desktop_entry(text.substr(0, text.find('\0'))))) {
        throw RegistryError(failed_set_data_message(std::string(name)));
    }
}

bool Registry::delete_value(std::string_view name) {
    if (!impl_->key) return false;
    auto remove = [&](hive::Key& root) {
        hive::Key* key = hive::find_key(root, *impl_->key);
        if (key != nullptr && hive::remove_value(*key, name)) return Impl::Change::made;
        // An entry file that outlived its value (a write cut short between the two) must not
        // keep starting the launcher once the user has turned the log-on start off.
        if (autostart::mirrored(impl_->key_path, name)) autostart::put_entry(std::nullopt);
        return Impl::Change::failed;
    };
    return impl_->update(remove, name, std::nullopt);
}

bool flag_on(std::string_view text) {
    return text == settings::flag_yes;
}

}  // namespace kvtu
