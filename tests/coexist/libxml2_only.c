/*
 * A program of libxml2's alone, linked with this library first and kept
 * loaded: its references to libxml2's names (xmlFree, a variable there,
 * among them) are libxml2's whatever the order of the two.
 */
#include <stdio.h>

#include "coexist.h"

int main(void) {
    setvbuf(stdout, NULL, _IONBF, 0); /* each line out before a crash */
    char path[4096];
    if (coexist_write_scratch(path, sizeof path) != 0) return 1;
    int failed = libxml2_side_check(path);
    remove(path);
    puts(failed ? "wrong answers" : "libxml2 answered right");
    return failed;
}
