#include "shared_heap.h"

#include <cstdint>
#include <limits>
#include <new>

#include "platform/core/errors.h"

namespace kvtu::shared_heap {

namespace {

std::int32_t checked_length(std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw OverflowError(overflow_message());
    }
    return static_cast<std::int32_t>(length);
}

}  // namespace

kvtu_string make_string(std::string_view text) {
    if (text.empty()) {
        return nullptr;
    }
    kvtu_string s = kvtu_string_new(text.data(), checked_length(text.size()));
    if (s == nullptr) {
        throw std::bad_alloc();
    }
    return s;
}

std::string_view view(kvtu_string s) {
    return {s == nullptr ? "" : s, static_cast<std::size_t>(kvtu_string_length(s))};
}

void assign(kvtu_string_array array, std::size_t index, std::string_view text) {
    kvtu_string replacement = make_string(text);
    kvtu_string_free(array[index]);
    array[index] = replacement;
}

void resize(kvtu_string_array* variable, std::size_t length) {
    std::int32_t wanted = checked_length(length);
    kvtu_array_resize(variable, wanted);
    if (kvtu_array_length(*variable) != wanted) {
        throw std::bad_alloc();
    }
}

void replace(kvtu_string_array* variable, const TStringDynArray& texts) {
    kvtu_array_free(*variable);
    *variable = nullptr;
    kvtu_string_array array = kvtu_array_new(checked_length(texts.size()));
    if (array == nullptr && !texts.empty()) {
        throw std::bad_alloc();
    }
    try {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            array[i] = make_string(texts[i]);
        }
    } catch (...) {
        kvtu_array_free(array);
        throw;
    }
    *variable = array;
}

}  // namespace kvtu::shared_heap
