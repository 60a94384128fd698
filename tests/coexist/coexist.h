/*
 * The two sides of the coexistence tests. This library's header and
 * libxml2's cannot be included in one source file (both declare xmlFree,
 * xmlParseFile, xmlAddChild and xmlLastError), so each side lives in a file
 * of its own and the programs see only these declarations.
 */
#ifndef COEXIST_H
#define COEXIST_H

#include <stddef.h>

/* The document both sides read from a scratch file and then extend. */
#define COEXIST_DOCUMENT "<catalog><book id=\"b1\">Sea</book></catalog>"

/* Writes COEXIST_DOCUMENT to a new file under the system's temporary folder
 * and puts its name in path; 0 on success. The caller removes the file. */
int coexist_write_scratch(char *path, size_t size);

/* Each side parses the file, edits the document, writes it out, frees it
 * and provokes one error, with its own library only. Each prints what it got
 * and answers 0 when every answer is right, 1 otherwise. */
int libxml2_side_check(const char *path);
int velk_side_check(const char *path);

#endif
