#ifndef KVTUQUERY_H
#define KVTUQUERY_H
/* The query library kvtuquery and the shared heap borlndmm it allocates on. Strings and arrays
   that cross the library boundary live on that heap: a caller allocates what it passes in there
   and releases there what it gets back. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef char* kvtu_string; /* shared-heap string, NUL-terminated; NULL is the empty string */
typedef kvtu_string*
    kvtu_string_array; /* shared-heap dynamic array of strings; NULL is the empty array */

/* The component model: an owner adopts objects and releases them when it is itself released. */
typedef struct kvtu_component kvtu_component;
struct kvtu_component {
    void (*adopt)(kvtu_component* self, void* object, void (*release)(void* object));
};

/* kvtuquery: returns 0 on a normal return; on an error returns 1 and sets *error to its message
   (a shared-heap string the caller releases), the result keeping what was written before the error.
   Like *result, *error must be NULL or hold a shared-heap string when the call begins: an error
   releases what it held.
 */
int32_t recieveserverinfo(kvtu_component* owner, const char* address_part1,
                          kvtu_string address_part2, kvtu_string_array* result, kvtu_string* error);
void explode(const char* separator, const char* text, int32_t limit, kvtu_string_array* result);

/* borlndmm: the shared heap */
kvtu_string kvtu_string_new(const char* bytes,
                            int32_t length); /* copies length bytes, adds a NUL */
int32_t kvtu_string_length(kvtu_string s);
void kvtu_string_free(kvtu_string s);
kvtu_string_array kvtu_array_new(int32_t length); /* elements NULL (empty) */
int32_t kvtu_array_length(kvtu_string_array a);
void kvtu_array_resize(kvtu_string_array* a,
                       int32_t length);    /* keeps, drops or adds empty elements */
void kvtu_array_free(kvtu_string_array a); /* releases its strings too */

#ifdef __cplusplus
}
#endif

#endif /* KVTUQUERY_H */
