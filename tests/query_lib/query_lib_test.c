/* The query library as an outside C program sees it: loaded with dlopen by name, both exports
   bound with dlsym, talking to a scripted game server on 127.0.0.1:2303, with strings and
   arrays on the shared heap. */
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "check.h"
#include "fake_game_server.h"
#include "kvtuquery.h"

typedef int32_t (*recieveserverinfo_function)(kvtu_component*, const char*, kvtu_string,
                                              kvtu_string_array*, kvtu_string*);
typedef void (*explode_function)(const char*, const char*, int32_t, kvtu_string_array*);

static recieveserverinfo_function query_server;
static explode_function split;

enum { reference_slots = 8, max_parts = 48 };
/* Below the cases' CTest time-out of 60 s. */
enum { port_lock_wait_ms = 40000 };

/* ---- helpers ---- */

/* The shared-heap string must hold exactly the expected text; "" expects the empty string,
   which the heap represents as NULL. */
static bool check_text(kvtu_string actual, const char* expected, const char* expression,
                       const char* file, int line) {
    bool same = expected[0] == '\0' ? actual == NULL
                                    : actual != NULL && strcmp(actual, expected) == 0 &&
                                          kvtu_string_length(actual) == (int32_t)strlen(expected);
    if (!same) {
        ++check_failures;
        printf("%s:%d: %s is \"%s\"%s, expected \"%s\"\n", file, line, expression,
               actual == NULL ? "" : actual, actual == NULL ? " (NULL)" : "", expected);
    }
    return same;
}

#define CHECK_TEXT(actual, expected) check_text((actual), (expected), #actual, __FILE__, __LINE__)

/* A component that records what it adopts and releases it all on request. */
typedef struct recording_owner {
    kvtu_component component;
    int adopted;
    void* objects[8];
    void (*releases[8])(void*);
} recording_owner;

static void record_adoption(kvtu_component* self, void* object, void (*release)(void*)) {
    recording_owner* owner = (recording_owner*)self;
    if (owner->adopted < 8) {
        owner->objects[owner->adopted] = object;
        owner->releases[owner->adopted] = release;
    }
    ++owner->adopted;
}

static recording_owner new_owner(void) {
    recording_owner owner = {.component = {.adopt = record_adoption}};
    return owner;
}

static void release_owned(recording_owner* owner) {
    for (int i = 0; i < owner->adopted && i < 8; ++i) {
        owner->releases[i](owner->objects[i]);
    }
    owner->adopted = 0;
}

static int open_descriptors(void) {
    DIR* folder = opendir("/proc/self/fd");
    if (folder == NULL) {
        return -1;
    }
    int count = 0;
    while (readdir(folder) != NULL) {
        ++count;
    }
    closedir(folder);
    return count;
}

static kvtu_string heap_text(const char* text) {
    return kvtu_string_new(text, (int32_t)strlen(text));
}

static kvtu_string_array heap_array(const char* const* texts, int count) {
    kvtu_string_array array = kvtu_array_new(count);
    for (int i = 0; i < count; ++i) {
        array[i] = heap_text(texts[i]);
    }
    return array;
}

/* A status reply of `count` parts joined with "\": part 0 empty (a leading "\"), part 1 the
   word "gamename", fixed values at the decoded positions and filler elsewhere. `overrides`
   holds position/text pairs, ended by a negative position. */
typedef struct part_override {
    int position;
    const char* text;
} part_override;

static size_t status_reply(char* out, size_t size, int count, const part_override* overrides) {
    const char* parts[max_parts];
    char fillers[max_parts][8];
    for (int k = 0; k < max_parts; ++k) {
        snprintf(fillers[k], sizeof fillers[k], "p%d", k);
        parts[k] = fillers[k];
    }
    parts[0] = "";
    parts[1] = "gamename";
    parts[4] = "1.96";
    parts[8] = "Test Host";
    parts[10] = "2302";
    parts[12] = "oret";
    parts[14] = "Mission X";
    parts[16] = "3";
    parts[18] = "16";
    parts[36] = "0";
    parts[38] = "14";
    for (; overrides != NULL && overrides->position >= 0; ++overrides) {
        parts[overrides->position] = overrides->text;
    }
    size_t length = 0;
    out[0] = '\0';
    for (int k = 0; k < count; ++k) {
        length +=
            (size_t)snprintf(out + length, size - length, "%s%s", k == 0 ? "" : "\\", parts[k]);
    }
    return length;
}

static bool start_server(fake_game_server* server) {
    return CHECK(fake_server_start(server));
}

/* ---- the shared heap ---- */

static void heap_strings(void) {
    kvtu_string s = kvtu_string_new("ab\0cd", 5);
    CHECK_INT(kvtu_string_length(s), 5);
    CHECK(s != NULL && memcmp(s, "ab\0cd", 6) == 0);
    kvtu_string_free(s);

    CHECK(kvtu_string_new("abc", 0) == NULL);
    CHECK(kvtu_string_new(NULL, 0) == NULL);
    CHECK(kvtu_string_new("abc", -1) == NULL);
    CHECK_INT(kvtu_string_length(NULL), 0);
    kvtu_string_free(NULL);
}

static void heap_arrays(void) {
    kvtu_string_array a = kvtu_array_new(3);
    CHECK_INT(kvtu_array_length(a), 3);
    CHECK(a != NULL && a[0] == NULL && a[1] == NULL && a[2] == NULL);
    a[0] = heap_text("zero");
    a[2] = heap_text("two");

    kvtu_array_resize(&a, 6);
    CHECK_INT(kvtu_array_length(a), 6);
    CHECK_TEXT(a[0], "zero");
    CHECK_TEXT(a[1], "");
    CHECK_TEXT(a[2], "two");
    CHECK(a[3] == NULL && a[4] == NULL && a[5] == NULL);
    a[5] = heap_text("five");

    /* Shrinking releases the dropped strings (the leak check sees "two" and "five"). */
    kvtu_array_resize(&a, 1);
    CHECK_INT(kvtu_array_length(a), 1);
    CHECK_TEXT(a[0], "zero");

    kvtu_array_resize(&a, 0);
    CHECK(a == NULL);
    kvtu_array_resize(&a, 2);
    CHECK_INT(kvtu_array_length(a), 2);
    a[1] = heap_text("one");
    kvtu_array_free(a);

    CHECK(kvtu_array_new(0) == NULL);
    CHECK(kvtu_array_new(-4) == NULL);
    CHECK_INT(kvtu_array_length(NULL), 0);
    kvtu_array_free(NULL);
    kvtu_array_resize(NULL, 3);
}

/* ---- recieveserverinfo ---- */

static void valid_reply_fills_all_slots(void) {
    char reply[1024];
    fake_game_server server = {0};
    fake_server_add_reply(&server, reply, status_reply(reply, sizeof reply, 40, NULL));
    if (!start_server(&server)) {
        return;
    }
    recording_owner owner = new_owner();
    kvtu_string part2 = heap_text("2302");
    kvtu_string_array result = NULL;
    kvtu_string error = heap_text("earlier error");
    kvtu_string earlier_error = error;

    int32_t status = query_server(&owner.component, "127.0.0.1:", part2, &result, &error);
    fake_server_stop(&server);

    CHECK_INT(status, 0);
    CHECK(error == earlier_error);
    CHECK_TEXT(error, "earlier error");
    CHECK_INT(server.requests_seen, 1);
    CHECK(server.requests_were_status);
    if (CHECK_INT(kvtu_array_length(result), reference_slots)) {
        CHECK_TEXT(result[0], "127.0.0.1:2302");
        CHECK_TEXT(result[1], "Mission X");
        CHECK_TEXT(result[2], "3/16");
        CHECK_TEXT(result[3], "1.96");
        CHECK_TEXT(result[4], "Test Host");
        CHECK_TEXT(result[5], "Public");
        CHECK_TEXT(result[6], "Game in Progress");
        CHECK_TEXT(result[7], "Oretsk");
    }
    CHECK_TEXT(part2, "2302");
    CHECK_INT(owner.adopted, 1);
    release_owned(&owner);
    kvtu_array_free(result);
    kvtu_string_free(part2);
    kvtu_string_free(error);
}

static void refused_reply_keeps_earlier_slots(void) {
    static const char short_reply[] = "\\gamena"; /* 7 bytes */
    static const char no_game_name[] = "\\hostname\\x\\gamever\\1.96\\";
    fake_game_server server = {0};
    fake_server_add_reply(&server, short_reply, strlen(short_reply));
    fake_server_add_reply(&server, no_game_name, strlen(no_game_name));
    if (!start_server(&server)) {
        return;
    }
    static const char* const earlier[] = {"old0", "old1", "old2", "old3", "old4",
                                          "old5", "old6", "old7", "old8", "old9"};
    kvtu_string_array longer = heap_array(earlier, 10);
    kvtu_string_array shorter = heap_array(earlier, 3);
    kvtu_string part2 = heap_text(":2302");
    kvtu_string error = NULL;

    int32_t first = query_server(NULL, "host", part2, &longer, &error);
    int32_t second = query_server(NULL, "", NULL, &shorter, &error);
    fake_server_stop(&server);

    CHECK_INT(first, 0);
    CHECK_INT(second, 0);
    CHECK(error == NULL);
    CHECK_INT(server.requests_seen, 2);
    /* The longer variable is cut to the result's length, its slots from 1 on untouched. */
    if (CHECK_INT(kvtu_array_length(longer), reference_slots)) {
        CHECK_TEXT(longer[0], "host:2302");
        for (int i = 1; i < reference_slots; ++i) {
            CHECK_TEXT(longer[i], earlier[i]);
        }
    }
    /* The shorter one grows by empty slots, and both address parts empty give an empty slot 0. */
    if (CHECK_INT(kvtu_array_length(shorter), reference_slots)) {
        CHECK_TEXT(shorter[0], "");
        CHECK_TEXT(shorter[1], "old1");
        CHECK_TEXT(shorter[2], "old2");
        for (int i = 3; i < reference_slots; ++i) {
            CHECK_TEXT(shorter[i], "");
        }
    }
    kvtu_array_free(longer);
    kvtu_array_free(shorter);
    kvtu_string_free(part2);
}

static void reply_of_38_parts_ends_in_range_error(void) {
    static const part_override private_server[] = {{12, "Tarn"}, {36, "1"}, {-1, NULL}};
    char reply[1024];
    fake_game_server server = {0};
    fake_server_add_reply(&server, reply, status_reply(reply, sizeof reply, 38, private_server));
    if (!start_server(&server)) {
        return;
    }
    static const char* const earlier[] = {"old0", "old1", "old2", "old3",
                                          "old4", "old5", "old6", "old7"};
    kvtu_string_array result = heap_array(earlier, reference_slots);
    kvtu_string part2 = heap_text("b");
    kvtu_string error = heap_text("an error the caller kept");

    int32_t status = query_server(NULL, "a", part2, &result, &error);
    fake_server_stop(&server);

    CHECK_INT(status, 1);
    CHECK_TEXT(error, "Range check error");
    if (CHECK_INT(kvtu_array_length(result), reference_slots)) {
        CHECK_TEXT(result[0], "ab");
        CHECK_TEXT(result[1], "Mission X");
        CHECK_TEXT(result[2], "3/16");
        CHECK_TEXT(result[3], "1.96");
        CHECK_TEXT(result[4], "Test Host");
        CHECK_TEXT(result[5], "Private");
        CHECK_TEXT(result[6], "old6");
        CHECK_TEXT(result[7], "old7");
    }
    kvtu_array_free(result);
    kvtu_string_free(part2);
    kvtu_string_free(error);
}

static void nothing_listening_writes_slot_0_only(void) {
    kvtu_string_array result = NULL;
    kvtu_string part2 = heap_text("2302");
    kvtu_string error = NULL;

    int32_t status = query_server(NULL, "127.0.0.1:", part2, &result, &error);

    /* An unconnected UDP socket on Linux hears nothing of the undelivered datagram, so the wait
       ends and the call returns normally; a system that reports it on the socket gives the
       socket error instead. */
    if (status == 1) {
        CHECK(error != NULL && strncmp(error, "Socket Error # ", 15) == 0);
    } else {
        CHECK_INT(status, 0);
        CHECK(error == NULL);
    }
    if (CHECK_INT(kvtu_array_length(result), reference_slots)) {
        CHECK_TEXT(result[0], "127.0.0.1:2302");
        for (int i = 1; i < reference_slots; ++i) {
            CHECK_TEXT(result[i], "");
        }
    }
    kvtu_array_free(result);
    kvtu_string_free(part2);
    kvtu_string_free(error);
}

static void absent_address_part1_gives_part2_alone(void) {
    char reply[1024];
    fake_game_server server = {0};
    fake_server_add_reply(&server, reply, status_reply(reply, sizeof reply, 39, NULL));
    if (!start_server(&server)) {
        return;
    }
    kvtu_string part2 = heap_text("server.example:2302");
    kvtu_string_array result = NULL;
    kvtu_string error = NULL;

    int32_t status = query_server(NULL, NULL, part2, &result, &error);
    fake_server_stop(&server);

    CHECK_INT(status, 0);
    if (CHECK_INT(kvtu_array_length(result), reference_slots)) {
        CHECK_TEXT(result[0], "server.example:2302");
        CHECK_TEXT(result[7], "Oretsk");
    }
    kvtu_array_free(result);
    kvtu_string_free(part2);
}

static void owner_adopts_a_client_per_call(void) {
    char reply[1024];
    size_t length = status_reply(reply, sizeof reply, 39, NULL);
    fake_game_server server = {0};
    fake_server_add_reply(&server, reply, length);
    fake_server_add_reply(&server, reply, length);
    if (!start_server(&server)) {
        return;
    }
    recording_owner owner = new_owner();
    kvtu_string_array result = NULL;
    kvtu_string error = NULL;
    int descriptors_before = open_descriptors();

    int32_t first = query_server(&owner.component, "a", NULL, &result, &error);
    int32_t second = query_server(&owner.component, "b", NULL, &result, &error);
    int descriptors_while_owned = open_descriptors();
    int adopted = owner.adopted;
    bool distinct = adopted == 2 && owner.objects[0] != owner.objects[1];
    release_owned(&owner);
    int descriptors_after_release = open_descriptors();
    fake_server_stop(&server);

    CHECK_INT(first, 0);
    CHECK_INT(second, 0);
    CHECK_INT(adopted, 2);
    CHECK(distinct);
    /* Each call used its own socket: the server saw two different client ports. */
    CHECK_INT(server.requests_seen, 2);
    CHECK(server.client_ports[0] != server.client_ports[1]);
    /* The clients keep their sockets until the owner releases them. */
    CHECK_INT(descriptors_while_owned - descriptors_before, 2);
    CHECK_INT(descriptors_after_release, descriptors_before);
    CHECK_TEXT(result[0], "b");
    kvtu_array_free(result);
}

static void absent_owner_leaves_no_socket_open(void) {
    char reply[1024];
    fake_game_server server = {0};
    fake_server_add_reply(&server, reply, status_reply(reply, sizeof reply, 39, NULL));
    fake_server_add_reply(&server, "x", 1);
    if (!start_server(&server)) {
        return;
    }
    kvtu_string_array result = NULL;
    kvtu_string error = NULL;
    kvtu_component adopts_nothing = {.adopt = NULL};
    int descriptors_before = open_descriptors();

    int32_t first = query_server(NULL, "a", NULL, &result, &error);
    int32_t second = query_server(&adopts_nothing, "a", NULL, &result, &error);
    int descriptors_after = open_descriptors();
    fake_server_stop(&server);

    CHECK_INT(first, 0);
    CHECK_INT(second, 0);
    CHECK_INT(server.requests_seen, 2);
    CHECK_INT(descriptors_after, descriptors_before);
    kvtu_array_free(result);
}

static void absent_result_variable_is_an_error(void) {
    kvtu_string error = NULL;
    CHECK_INT(query_server(NULL, "a", NULL, NULL, &error), 1);
    CHECK_TEXT(error, strerror(EINVAL));
    kvtu_string_free(error);
    CHECK_INT(query_server(NULL, "a", NULL, NULL, NULL), 1);
    split(":", "a:b", 0, NULL);
}

/* ---- explode ---- */

static void explode_through_the_export(void) {
    static const char* const earlier[] = {"x", "y"};
    kvtu_string_array result = heap_array(earlier, 2);

    /* An absent text empties the variable, releasing what it held. */
    split("\\", NULL, 0, &result);
    CHECK(result == NULL);

    split(NULL, "", 0, &result);
    if (CHECK_INT(kvtu_array_length(result), 1)) {
        CHECK_TEXT(result[0], "");
    }

    split("\\", "\\gamename\\kvtu\\", 0, &result);
    if (CHECK_INT(kvtu_array_length(result), 3)) {
        CHECK_TEXT(result[0], "");
        CHECK_TEXT(result[1], "gamename");
        CHECK_TEXT(result[2], "kvtu");
    }

    split(":", "a:b:c", 2, &result);
    if (CHECK_INT(kvtu_array_length(result), 2)) {
        CHECK_TEXT(result[0], "a");
        CHECK_TEXT(result[1], "b:c");
    }

    split(":", "a:b:c", -1, &result);
    CHECK(result == NULL);
}

static const test_case cases[] = {
    {"heap_strings", heap_strings},
    {"heap_arrays", heap_arrays},
    {"valid_reply_fills_all_slots", valid_reply_fills_all_slots},
    {"refused_reply_keeps_earlier_slots", refused_reply_keeps_earlier_slots},
    {"reply_of_38_parts_ends_in_range_error", reply_of_38_parts_ends_in_range_error},
    {"nothing_listening_writes_slot_0_only", nothing_listening_writes_slot_0_only},
    {"absent_address_part1_gives_part2_alone", absent_address_part1_gives_part2_alone},
    {"owner_adopts_a_client_per_call", owner_adopts_a_client_per_call},
    {"absent_owner_leaves_no_socket_open", absent_owner_leaves_no_socket_open},
    {"absent_result_variable_is_an_error", absent_result_variable_is_an_error},
    {"explode_through_the_export", explode_through_the_export},
};

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--list") == 0) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            printf("%s\n", cases[i].name);
        }
        return 0;
    }
    void* library = dlopen("libkvtuquery.so", RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        printf("cannot load libkvtuquery.so: %s\n0 passed, 1 failed\n", dlerror());
        return 1;
    }
    query_server = (recieveserverinfo_function)dlsym(library, "recieveserverinfo");
    split = (explode_function)dlsym(library, "explode");
    if (query_server == NULL || split == NULL) {
        printf("an export is missing\n0 passed, 1 failed\n");
        dlclose(library);
        return 1;
    }
    if (!fake_server_lock_port(port_lock_wait_ms)) {
        printf("the game port stayed taken by another test run\n0 passed, 1 failed\n");
        dlclose(library);
        return 1;
    }
    int status = run_cases(cases, (int)(sizeof cases / sizeof cases[0]), argc > 1 ? argv[1] : NULL);
    dlclose(library);
    return status;
}
