/*
 * A program that calls both libraries, each from its own source file: with
 * both linked into it (in either order), or with this library linked first
 * and libxml2 inside a shared library linked second. The linker and the
 * loader search one library before the other for the names both define;
 * each library's references must still reach its own. libxml2 works before
 * and after this library's calls, and both give their right answers.
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
