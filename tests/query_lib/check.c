#include "check.h"

#include <stdio.h>
#include <string.h>

int check_failures = 0;

bool check_true(bool condition, const char* expression, const char* file, int line) {
    if (!condition) {
        ++check_failures;
        printf("%s:%d: check failed: %s\n", file, line, expression);
    }
    return condition;
}

bool check_int(long long actual, long long expected, const char* expression, const char* file,
               int line) {
    if (actual != expected) {
        ++check_failures;
        printf("%s:%d: %s is %lld, expected %lld\n", file, line, expression, actual, expected);
    }
    return actual == expected;
}

int run_cases(const test_case* cases, int count, const char* only) {
    int passed = 0;
    int failed = 0;
    int matched = 0;
    for (int i = 0; i < count; ++i) {
        if (only != NULL && strcmp(only, cases[i].name) != 0) {
            continue;
        }
        ++matched;
        int before = check_failures;
        printf("[ RUN  ] %s\n", cases[i].name);
        fflush(stdout);
        cases[i].run();
        if (check_failures == before) {
            ++passed;
            printf("[  OK  ] %s\n", cases[i].name);
        } else {
            ++failed;
            printf("[ FAIL ] %s\n", cases[i].name);
        }
        fflush(stdout);
    }
    if (only != NULL && matched == 0) {
        printf("no case named %s\n", only);
        ++failed;
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
