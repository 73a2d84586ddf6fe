#include "fake_game_server.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

enum { request_wait_ms = 10000, game_port = 2303 };

static const char status_request[] = "\\status\\";

bool fake_server_lock_port(int wait_ms) {
    static const char lock_path[] = "/tmp/kvtu-test-udp-2303.lock";
    /* Opened without O_CREAT first: with fs.protected_regular, creating-or-opening a file that
       another user made in /tmp is refused even when it exists. */
    int lock = open(lock_path, O_RDONLY | O_CLOEXEC);
    if (lock < 0 && errno == ENOENT) {
        lock = open(lock_path, O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        /* Any user's run may take it next. */
        if (lock >= 0) fchmod(lock, 0666);
    }
    if (lock < 0) {
        /* Without the lock only this run's own ordering is left; that is no reason to fail. */
        perror("fake server: open /tmp/kvtu-test-udp-2303.lock, going on without it");
        return true;
    }
    enum { step_ms = 50 };
    for (int waited = 0; flock(lock, LOCK_EX | LOCK_NB) != 0; waited += step_ms) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            perror("fake server: lock of port 2303, going on without it");
            close(lock);
            return true;
        }
        if (waited >= wait_ms) {
            fprintf(stderr, "fake server: another test run held port 2303 for %d ms\n", wait_ms);
            close(lock);
            return false;
        }
        poll(NULL, 0, step_ms);
    }
    /* Held, on purpose, until the process ends. */
    return true;
}

void fake_server_add_reply(fake_game_server* server, const char* bytes, size_t length) {
    if (server->reply_count >= fake_server_max_replies || length > fake_server_max_reply) {
        fprintf(stderr, "fake server: script too long\n");
        return;
    }
    memcpy(server->replies[server->reply_count], bytes, length);
    server->reply_lengths[server->reply_count] = length;
    ++server->reply_count;
}

static void* serve(void* argument) {
    fake_game_server* server = argument;
    for (int i = 0; i < server->reply_count; ++i) {
        struct pollfd ready = {.fd = server->socket, .events = POLLIN};
        if (poll(&ready, 1, request_wait_ms) != 1) {
            break;
        }
        char request[64];
        struct sockaddr_in client;
        socklen_t client_length = sizeof client;
        ssize_t received = recvfrom(server->socket, request, sizeof request, 0,
                                    (struct sockaddr*)&client, &client_length);
        if (received < 0) {
            break;
        }
        if ((size_t)received != strlen(status_request) ||
            memcmp(request, status_request, (size_t)received) != 0) {
            server->requests_were_status = false;
        }
        server->client_ports[server->requests_seen] = ntohs(client.sin_port);
        ++server->requests_seen;
        sendto(server->socket, server->replies[i], server->reply_lengths[i], 0,
               (struct sockaddr*)&client, client_length);
    }
    return NULL;
}

bool fake_server_start(fake_game_server* server) {
    server->requests_seen = 0;
    server->requests_were_status = true;
    server->socket = socket(AF_INET, SOCK_DGRAM, 0);
    if (server->socket < 0) {
        perror("fake server: socket");
        return false;
    }
    struct sockaddr_in address = {.sin_family = AF_INET, .sin_port = htons(game_port)};
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(server->socket, (struct sockaddr*)&address, sizeof address) != 0) {
        perror("fake server: bind 127.0.0.1:2303");
        close(server->socket);
        return false;
    }
    if (pthread_create(&server->thread, NULL, serve, server) != 0) {
        close(server->socket);
        return false;
    }
    return true;
}

void fake_server_stop(fake_game_server* server) {
    pthread_join(server->thread, NULL);
    close(server->socket);
}
