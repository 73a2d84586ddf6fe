#pragma once
// C++ access to the shared heap for the library's exports: texts go in and out as shared-heap
// strings, result variables are resized and filled in place. A failed allocation raises
// std::bad_alloc, so that no text is lost silently.
#include <cstddef>
#include <string>
#include <string_view>

#include "kvtuquery.h"
#include "platform/core/string_array.h"

namespace kvtu::shared_heap {

// A new string holding the bytes; the empty text gives the empty string (NULL).
kvtu_string make_string(std::string_view text);
// The bytes of a string, embedded NUL bytes included.
std::string_view view(kvtu_string s);
// Replaces element `index` of the array, releasing the string it held.
void assign(kvtu_string_array array, std::size_t index, std::string_view text);
// Resizes the variable: elements below the length stay, those above are released, added ones
// are empty.
void resize(kvtu_string_array* variable, std::size_t length);
// Replaces the variable's array by the texts, releasing the array it held.
void replace(kvtu_string_array* variable, const TStringDynArray& texts);

}  // namespace kvtu::shared_heap
