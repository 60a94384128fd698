/* The mistakes the plain face's string type is there to catch, one per
 * MISTAKE value; each must be refused as C and as C++ with every warning an
 * error, on every platform:
 *   1  a C text passed where a counted string belongs (the export would
 *      release the literal);
 *   2  a counted result held in a char * (it must go back to SysFreeString,
 *      and its bytes are read with VELK_BSTR_BYTES).
 * Without MISTAKE the same calls are written correctly and must compile, so
 * that a refusal can only come from the mistake. */
#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif

#include "velk_xml.h"

#if !defined(MISTAKE)
#define MISTAKE 0
#endif

int main(void) {
#if MISTAKE == 1
    velk_handle list = llAdd(0, "colour", "blue");
#else
    velk_handle list = llAdd(0, SysAllocStringByteLen("colour", 6), SysAllocStringByteLen("blue", 4));
#endif
#if MISTAKE == 2
    char *data = llData(list);
    printf("%s\n", data);
#else
    velk_bstr data = llData(list);
    printf("%.*s\n", (int)SysStringByteLen(data), VELK_BSTR_BYTES(data));
#endif
    SysFreeString(data);
    llFree(list);
    return 0;
}
