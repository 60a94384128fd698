/* The scratch file that holds COEXIST_DOCUMENT for both sides. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "coexist.h"

int coexist_write_scratch(char *path, size_t size) {
    const char *tmp = getenv("TMPDIR");
    if (!tmp || !*tmp) tmp = "/tmp";
    if ((size_t)snprintf(path, size, "%s/velk-coexist-XXXXXX", tmp) >= size) return 1;
    int fd = mkstemp(path);
    if (fd < 0) {
        perror(path);
        return 1;
    }
    size_t length = strlen(COEXIST_DOCUMENT);
    int written = write(fd, COEXIST_DOCUMENT, length) == (ssize_t)length;
    if (close(fd) != 0) written = 0;
    if (!written) {
        perror(path);
        unlink(path);
        return 1;
    }
    return 0;
}
