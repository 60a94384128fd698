/* Edits a configuration file in place: the server's timeout and port, one
 * element added and one removed; then reads the file back and prints it.
 * The file is read strictly: one that is not well-formed XML is refused.
 *   velk_config_edit config.xml */
#include <stdio.h>
#include <string.h>
#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif
#include "velk_check.h"
#include "velk_edit.h"

int main(int argc, char **argv) {
    const char *file = argc > 1 ? argv[1] : "config.xml";
    VelkCheckResult found;
    velk_handle doc = velk_parse_file_strict(file, &found), server;
    if (!doc) return fprintf(stderr, "%s:%d:%d: %s\n", file, found.line, found.column, found.message), 1;
    server = xmlzFindChild(velk_root_element(doc), "server");
    velk_set_text(xmlzFindChild(server, "timeout"), "30");
    xmlzSetAttrib(server, "port", "8443");
    velk_new_element(xmlzFindChild(server, "timeout"), VELK_AFTER, "log", "info");
    velk_remove(xmlzFindChild(server, "legacy"));
    if (!xmlTreeToFile(doc, SysAllocStringByteLen(file, (uint32_t)strlen(file)), VELK_OVERWRITE))
        return fprintf(stderr, "%s\n", xmlzLastError()), 1;
    xmlFree(doc);
    doc = xmlzParseFile(file);
    printf("%s\n", xmlzTreeToString(doc, VELK_COMPACT));
    xmlFree(doc);
    return 0;
}
