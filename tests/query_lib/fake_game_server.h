#ifndef KVTU_QUERY_LIB_FAKE_GAME_SERVER_H
#define KVTU_QUERY_LIB_FAKE_GAME_SERVER_H
/* A scripted game server on 127.0.0.1:2303 for the C tests: a thread answers each request with
   the next scripted reply and records what it received and from which port. Every wait is
   bounded, so a missing request ends the thread instead of hanging the test. */
#include <pthread.h>
#include <stdbool.h>
#include <stddef.h>

enum { fake_server_max_replies = 4, fake_server_max_reply = 1024 };

typedef struct fake_game_server {
    int socket;
    pthread_t thread;
    int reply_count;
    char replies[fake_server_max_replies][fake_server_max_reply];
    size_t reply_lengths[fake_server_max_replies];
    /* Filled by the thread; read after fake_server_stop. */
    int requests_seen;
    bool requests_were_status; /* every request was exactly the status request */
    unsigned short client_ports[fake_server_max_replies];
} fake_game_server;

/* Takes the machine-wide lock of the fixed port for the rest of the process, waiting at most
   `wait_ms`; false when another run held it all that time. CTest's resource lock orders the cases
   of one run only, while other runs on the same machine (another build folder or checkout) use the
   port too. */
bool fake_server_lock_port(int wait_ms);
/* Scripts the next reply (bytes, embedded NULs allowed). */
void fake_server_add_reply(fake_game_server* server, const char* bytes, size_t length);
/* Binds the port and starts answering; false when the port cannot be bound. */
bool fake_server_start(fake_game_server* server);
/* Waits for the thread (bounded by its own waits) and closes the socket. */
void fake_server_stop(fake_game_server* server);

#endif
