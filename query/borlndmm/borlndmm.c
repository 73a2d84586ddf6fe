/* The shared heap: counted strings and dynamic string arrays that the query library and its
   callers allocate and release in one place, so that either side may release what the other
   allocated. Each block starts with a header holding the element count; the pointer handed out
   points behind it, at the data, so that a string reads as a NUL-terminated char* and an array
   indexes as a[i]. NULL stands for the empty string and the empty array, so nothing of length 0
   is ever allocated. A failed allocation gives NULL (new) or leaves the array as it was
   (resize); callers that need the memory compare the length they asked for. */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#pragma GCC visibility push(default)
#include "kvtuquery.h"
#pragma GCC visibility pop

/* Sized to the strictest alignment so that the data behind it is aligned for any element. */
typedef struct block_header {
    _Alignas(max_align_t) int32_t length;
} block_header;

static block_header* header_of(const void* data) {
    return (block_header*)((char*)data - sizeof(block_header));
}

static void* data_of(block_header* header) {
    return (char*)header + sizeof(block_header);
}

kvtu_string kvtu_string_new(const char* bytes, int32_t length) {
    if (length <= 0 || bytes == NULL) {
        return NULL;
    }
    block_header* header = malloc(sizeof(block_header) + (size_t)length + 1);
    if (header == NULL) {
        return NULL;
    }
    header->length = length;
    char* data = data_of(header);
    memcpy(data, bytes, (size_t)length);
    data[length] = '\0';
    return data;
}

int32_t kvtu_string_length(kvtu_string s) {
    return s == NULL ? 0 : header_of(s)->length;
}

void kvtu_string_free(kvtu_string s) {
    if (s != NULL) {
        free(header_of(s));
    }
}

static int array_size_fits(int32_t length) {
    return (size_t)length <= (SIZE_MAX - sizeof(block_header)) / sizeof(kvtu_string);
}

kvtu_string_array kvtu_array_new(int32_t length) {
    if (length <= 0 || !array_size_fits(length)) {
        return NULL;
    }
    block_header* header = calloc(1, sizeof(block_header) + (size_t)length * sizeof(kvtu_string));
    if (header == NULL) {
        return NULL;
    }
    header->length = length;
    return data_of(header);
}

int32_t kvtu_array_length(kvtu_string_array a) {
    return a == NULL ? 0 : header_of(a)->length;
}

void kvtu_array_resize(kvtu_string_array* a, int32_t length) {
    if (a == NULL) {
        return;
    }
    if (length <= 0) {
        kvtu_array_free(*a);
        *a = NULL;
        return;
    }
    if (*a == NULL) {
        *a = kvtu_array_new(length);
        return;
    }
    if (!array_size_fits(length)) {
        return;
    }
    int32_t old_length = kvtu_array_length(*a);
    if (length == old_length) {
        return;
    }
    size_t new_size = sizeof(block_header) + (size_t)length * sizeof(kvtu_string);
    if (length < old_length) {
        for (int32_t i = length; i < old_length; ++i) {
            kvtu_string_free((*a)[i]);
        }
        header_of(*a)->length = length;
        /* A block that cannot shrink in place still holds the shorter array. */
        block_header* header = realloc(header_of(*a), new_size);
        if (header != NULL) {
            *a = data_of(header);
        }
        return;
    }
    block_header* header = realloc(header_of(*a), new_size);
    if (header == NULL) {
        return;
    }
    kvtu_string* elements = data_of(header);
    memset(elements + old_length, 0, (size_t)(length - old_length) * sizeof(kvtu_string));
    header->length = length;
    *a = elements;
}

void kvtu_array_free(kvtu_string_array a) {
    if (a == NULL) {
        return;
    }
    int32_t length = kvtu_array_length(a);
    for (int32_t i = 0; i < length; ++i) {
        kvtu_string_free(a[i]);
    }
    free(header_of(a));
}
