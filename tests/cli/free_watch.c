/* Loaded into kelvara-cli with LD_PRELOAD by the tests: ends the program with status 99 when a block given
 * back to the heap still holds the start of the password named by KELVARA_WATCH_SECRET (ASCII), as 8-bit or
 * UTF-16 bytes. Memory that held the password must be wiped before it is freed. */
#define _GNU_SOURCE
#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

extern void __libc_free(void* block);

enum { watchedLength = 12 }; /* a copy of part of the password counts too */
static char narrow[watchedLength];
static char wide[2 * watchedLength];
static int watching;

__attribute__((constructor)) static void startWatching(void) {
    const char* secret = getenv("KELVARA_WATCH_SECRET");
    if (secret == NULL || strlen(secret) < watchedLength)
        return;
    memcpy(narrow, secret, watchedLength);
    for (int i = 0; i < watchedLength; ++i) {
        wide[2 * i] = secret[i];
        wide[2 * i + 1] = 0;
    }
    watching = 1;
}

void free(void* block) {
    if (block != NULL && watching) {
        const size_t size = malloc_usable_size(block);
        if (memmem(block, size, narrow, sizeof narrow) != NULL || memmem(block, size, wide, sizeof wide) != NULL) {
            static const char message[] = "free-watch: a freed block still holds the password\n";
            if (write(STDERR_FILENO, message, sizeof message - 1) < 0)
                _exit(98);
            _exit(99);
        }
    }
    __libc_free(block);
}
