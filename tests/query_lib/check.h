#ifndef KVTU_QUERY_LIB_CHECK_H
#define KVTU_QUERY_LIB_CHECK_H
/* A small check harness for the C tests: a failed check prints where and what, and the case
   goes on so that one run shows every failed check. */
#include <stdbool.h>

extern int check_failures;

bool check_true(bool condition, const char* expression, const char* file, int line);
bool check_int(long long actual, long long expected, const char* expression, const char* file,
               int line);

#define CHECK(condition) check_true((condition), #condition, __FILE__, __LINE__)
#define CHECK_INT(actual, expected) check_int((actual), (expected), #actual, __FILE__, __LINE__)

typedef struct test_case {
    const char* name;
    void (*run)(void);
} test_case;

/* Runs the named case, or every case without a name; prints "N passed, N failed" last and
   returns the exit status. */
int run_cases(const test_case* cases, int count, const char* only);

#endif
