/*
 * VELK_XML strict parsing: the well-formedness check of velkxml as a library
 * (libvelk_check, static; pkg-config velk_check, CMake velk_xml::velk_check).
 *
 * The parser of velk_xml.h is lenient: it returns a tree for a truncated
 * file, an element left open, an unended quote or comment. A caller that
 * wants a document only when it is well-formed XML, and read by the library
 * as XML means it, checks first, or parses with the strict calls below: they
 * refuse such a text with the first finding, placed as editors count (a
 * line for each LF, CR LF or lone CR; the byte column from 1), and parse it
 * with the library otherwise. What is checked: XML 1.0's rules for a
 * document without a document type declaration, namespaces in XML, and
 * what the library does not read as XML means it (a document type
 * declaration, a CDATA section, a character reference, an encoding other
 * than UTF-8, UTF-16), each refused with the reason.
 *
 * The check reads the whole text in one pass, in time and memory linear in
 * its size. C99 and C++; link libvelk_check and the library.
 */
#ifndef VELK_CHECK_H
#define VELK_CHECK_H

#include <stddef.h>

#include "velk_xml.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What a check found first. */
typedef struct VelkCheckResult {
    /* 1: the text passed the check; 0: it did not, and the fields below
     * tell why. */
    int32_t ok;
    /* 1 when the text is well-formed XML that the library does not read as
     * XML means it (a document type declaration, a CDATA section ...); 0
     * when it is not well-formed. */
    int32_t limit;
    /* Where the finding is: line and column from 1, as editors count them;
     * both 0 for a finding about the whole text ("no top-level element")
     * and for a file that could not be read. */
    int32_t line;
    int32_t column;
    /* The finding, NUL-terminated, as velkxml check words it ("end tag 'a'
     * where element 'b' is open"); cut to fit. For a file that could not be
     * read, or a parse that failed after the check, the reason. */
    char message[504];
} VelkCheckResult;

/*
 * velk_check_text: checks the size bytes at text. Returns 1 when they pass,
 * 0 when they do not; *result (when not null) says which, and where.
 */
int32_t velk_check_text(const char *text, size_t size, VelkCheckResult *result);

/*
 * velk_parse_strict: checks the size bytes at text, then parses them with
 * the library (xmlParse). Returns the document, which the caller releases
 * with xmlFree; 0 when the text does not pass the check, when the parse
 * fails (memory exhausted), or for an empty text, with *result (when not
 * null) telling why.
 */
velk_handle velk_parse_strict(const char *text, size_t size, VelkCheckResult *result);

/*
 * velk_parse_file_strict: reads the file (its whole bytes, no line-end
 * change) and parses it as velk_parse_strict does. 0, with *result telling
 * why, also when the file cannot be read ("cannot read FILE: reason").
 */
velk_handle velk_parse_file_strict(const char *file, VelkCheckResult *result);

#ifdef __cplusplus
}
#endif

#endif
