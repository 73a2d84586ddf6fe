/* The query library cannot be loaded without the shared heap: a copy of it alone in a folder
   fails to load, naming libborlndmm.so, and the same copy loads once the heap's folder is on the
   search path. The loads run in child processes, whose library search path is set at start. */
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "check.h"

static const char* library_path;
static const char* heap_folder;

enum { loaded = 0, not_loaded = 3, export_missing = 4 };

/* In the child: load by name and bind both exports. */
static int probe(void) {
    void* library = dlopen("libkvtuquery.so", RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        printf("%s\n", dlerror());
        return not_loaded;
    }
    int status = dlsym(library, "recieveserverinfo") != NULL && dlsym(library, "explode") != NULL
                     ? loaded
                     : export_missing;
    dlclose(library);
    return status;
}

static bool copy_file(const char* from, const char* to) {
    int in = open(from, O_RDONLY);
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0755);
    bool copied = in >= 0 && out >= 0;
    char buffer[65536];
    ssize_t n;
    while (copied && (n = read(in, buffer, sizeof buffer)) > 0) {
        copied = write(out, buffer, (size_t)n) == n;
    }
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    return copied;
}

/* Runs the probe with the given search path; returns its exit status, its output in `output`. */
static int run_probe(const char* search_path, char* output, size_t size) {
    int channel[2];
    if (pipe(channel) != 0) {
        return -1;
    }
    pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        setenv("LD_LIBRARY_PATH", search_path, 1);
        execl("/proc/self/exe", "load_without_heap_test", "--probe", (char*)NULL);
        _exit(127);
    }
    close(channel[1]);
    size_t length = 0;
    ssize_t n;
    while (length + 1 < size && (n = read(channel[0], output + length, size - length - 1)) > 0) {
        length += (size_t)n;
    }
    output[length] = '\0';
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

static void fails_to_load_without_the_heap(void) {
    char folder[] = "/tmp/kvtuquery-alone-XXXXXX";
    if (!CHECK(mkdtemp(folder) != NULL)) {
        return;
    }
    char copy[sizeof folder + 32];
    snprintf(copy, sizeof copy, "%s/libkvtuquery.so", folder);
    char output[4096];
    if (CHECK(copy_file(library_path, copy))) {
        CHECK_INT(run_probe(folder, output, sizeof output), not_loaded);
        CHECK(strstr(output, "libborlndmm.so") != NULL);
        if (strstr(output, "libborlndmm.so") == NULL) {
            printf("loader said: %s\n", output);
        }

        char both[sizeof folder + 4096];
        snprintf(both, sizeof both, "%s:%s", folder, heap_folder);
        CHECK_INT(run_probe(both, output, sizeof output), loaded);
    }
    unlink(copy);
    rmdir(folder);
}

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--probe") == 0) {
        return probe();
    }
    if (argc != 3) {
        fprintf(stderr,
                "usage: load_without_heap_test <libkvtuquery.so> <folder of libborlndmm>\n");
        return 2;
    }
    library_path = argv[1];
    heap_folder = argv[2];
    static const test_case cases[] = {
        {"fails_to_load_without_the_heap", fails_to_load_without_the_heap}};
    return run_cases(cases, 1, NULL);
}
