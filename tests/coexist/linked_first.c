/*
 * A program linked to this library first and to a shared library that uses
 * libxml2 second, so the loader searches this library before libxml2 for
 * every name, libxml2's own references included. libxml2 works before and
 * after this library's calls, and both give their right answers.
 */
#include <stdio.h>

#include "coexist.h"

int main(void) {
    setvbuf(stdout, NULL, _IONBF, 0); /* each line out before a crash */
    char path[4096];
    if (coexist_write_scratch(path, sizeof path) != 0) return 1;
    int failed = libxml2_side_check(path);
    failed |= velk_side_check(path);
    failed |= libxml2_side_check(path);
    remove(path);
    puts(failed ? "wrong answers" : "both libraries answered right");
    return failed;
}
