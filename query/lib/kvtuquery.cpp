// The two exports of the query library. Nothing may unwind into a C caller, so every C++
// exception ends here and becomes the error return.
#pragma GCC visibility push(default)
#include "kvtuquery.h"
#pragma GCC visibility pop

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <string_view>

#include "platform/core/errors.h"
#include "query/explode.h"
#include "server_info.h"
#include "shared_heap.h"

namespace {

// Stores the message in the caller's error variable, releasing what it held.
std::int32_t fail(kvtu_string* error, std::string_view message) noexcept {
    if (error != nullptr) {
        kvtu_string_free(*error);
        try {
            *error = kvtu::shared_heap::make_string(message);
        } catch (...) {
            *error = nullptr;
        }
    }
    return 1;
}

}  // namespace

extern "C" int32_t recieveserverinfo(kvtu_component* owner, const char* address_part1,
                                     kvtu_string address_part2, kvtu_string_array* result,
                                     kvtu_string* error) {
    if (result == nullptr) {
        return fail(error, std::strerror(EINVAL));
    }
    try {
        kvtu::query_library::query_server_info(owner, address_part1, address_part2, result);
        return 0;
    } catch (const std::bad_alloc&) {
        return fail(error, kvtu::out_of_memory_message());
    } catch (const std::exception& e) {
        return fail(error, e.what());
    } catch (...) {
        return fail(error, {});
    }
}

extern "C" void explode(const char* separator, const char* text, int32_t limit,
                        kvtu_string_array* result) {
    if (result == nullptr) {
        return;
    }
    try {
        kvtu::TStringDynArray parts;
        kvtu::explode_cstr(separator, text, limit, parts);
        kvtu::shared_heap::replace(result, parts);
    } catch (...) {
        // Only exhausted memory gets here, and this export has no way to report it: the
        // variable is left empty rather than half filled.
        kvtu_array_free(*result);
        *result = nullptr;
    }
}
