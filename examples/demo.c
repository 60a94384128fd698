/* Builds a small named list through the library's exports and prints what
 * the library gives back. */
#include <stdio.h>
#include <string.h>

#include "velk_xml.h"

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h> /* SysAllocStringByteLen, SysFreeString */
#endif

/* A counted string for a plain-face argument; the export releases it. */
#define MAKE_STRING(s) SysAllocStringByteLen((s), (unsigned)strlen(s))

int main(void) {
    /* Plain face: the library takes over (and releases) the strings. */
    velk_handle list = llAdd(0, MAKE_STRING("  Colour "), MAKE_STRING("blue"));
    velk_handle last = llzAdd(list, "SIZE", "large");
    last = llzAdd(last, "Weight", "12 kg");
    llbAdd(last, MAKE_STRING("raw"), MAKE_STRING("\x01\x02"));

    printf("entries: %d\n", (int)llCount(list));
    for (int32_t i = 1; i <= llCount(list); ++i) {
        velk_handle node = llGetByNumber(list, i);
        printf("  entry %d holds %d data bytes\n", (int)i, (int)llCapacity(node));
    }

    /* Move the last entry to the front. */
    velk_handle tail = llFindLast(list);
    llMoveFirst(list, tail, llFindPrev(list, tail));
    list = tail;
    printf("after moving the last entry first, entry 1 holds %d bytes\n",
           (int)llCapacity(llGetByNumber(list, 1)));

    printf("list error text: \"%s\"\n", llzLastError());
    llFree(list);
    return 0;
}
