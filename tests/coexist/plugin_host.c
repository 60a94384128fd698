/*
 * A libxml2 program that loads a plugin linked to this library (its path is
 * the one argument) and calls the plugin's velk_side_check. libxml2 is
 * loaded first, so the loader searches it before this library for the
 * plugin's references. libxml2 works before and after the plugin's calls,
 * and both libraries give their right answers.
 */
#include <dlfcn.h>
#include <stdio.h>

#include "coexist.h"

typedef int (*check_fn)(const char *path);

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s plugin.so\n", argv[0]);
        return 2;
    }
    setvbuf(stdout, NULL, _IONBF, 0); /* each line out before a crash */
    char path[4096];
    if (coexist_write_scratch(path, sizeof path) != 0) return 1;
    int failed = libxml2_side_check(path);

    void *plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    check_fn plugin_check = plugin ? (check_fn)dlsym(plugin, "velk_side_check") : NULL;
    if (!plugin_check) {
        fprintf(stderr, "%s\n", dlerror());
        failed = 1;
    } else {
        failed |= plugin_check(path);
    }

    failed |= libxml2_side_check(path);
    if (plugin) dlclose(plugin);
    remove(path);
    puts(failed ? "wrong answers" : "both libraries answered right");
    return failed;
}
