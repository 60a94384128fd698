/*
 * VELK_XML: named lists and XML trees behind a flat C interface.
 *
 * This header is the library's reference: every export is described where
 * it is declared. api/velk_records.h describes the records behind the
 * handles for callers that read them directly; api/velk_strings.h has C++
 * helpers for the counted strings; api/velk_edit.h edits documents in place
 * (set an element's text, insert and remove elements, append many children).
 *
 * A parsed document is the handle of its FIRST NODE, often the XML
 * declaration ("<?xml ...?>"), not its top-level element: take that with
 * velk_root_element(doc) (api/velk_edit.h), or with xmlNextSibling from doc
 * to the first node whose xmlNodeType is VELK_NODE_ELEMENT.
 *
 * CALLING. Every export has C linkage; in the 32-bit Windows DLL it is
 * __stdcall (VELK_CALL) with an undecorated name, elsewhere (the 64-bit
 * Windows DLL, whose names are undecorated too, and Linux) the platform's
 * one C convention. The function-pointer types at the end of this header (one
 * per export, named after it with "_fn") serve callers that bind by name.
 *
 * BESIDE LIBXML2. Four export names, xmlFree, xmlParseFile, xmlAddChild and
 * xmlLastError, are names of libxml2 too, declared differently there, so this
 * header and libxml2's headers cannot be included in one source file: the
 * compiler refuses the second declaration of each. A program that uses
 * both libraries keeps the calls of each in source files of their own. On
 * Linux this header links those four by names of their own (velk_xmlFree,
 * velk_xmlParseFile, velk_xmlAddChild, velk_xmlLastError), so that one
 * program can link both libraries, in either order: the library that
 * programs link with (libvelk_xml.so) defines only these, and the loaded
 * library (libvelk_xml.so.1) answers to the plain names as well, for
 * programs linked before these names existed and for dlsym. Define
 * VELK_PLAIN_LINK_NAMES before including this header to link by the plain
 * names, against libvelk_xml.so.1 itself.
 *
 * HANDLES. A velk_handle is the address of a record of the library: an entry
 * of a named list, a node of an XML tree, or (xmlAttribExists and
 * xmlzAttribExists only) an attribute. 0 means no list, no node, or not
 * found. It is as wide as a pointer: 32 bits in the 32-bit Windows DLL, 64
 * bits in the 64-bit Windows DLL and on 64-bit Linux; keep it in a
 * velk_handle, never in a 32-bit integer. Numbers, counts, positions, flags,
 * modes and the byte counts of counted strings are 32 bits on every target;
 * api/velk_records.h gives each record field's width and offset per target. A
 * list is the handle of its first entry and a document the handle of its
 * first node; there is no separate header record. The library never checks a
 * handle: 0 is accepted everywhere (as "nothing"), but anything other than 0
 * must be a live handle of the right kind.
 *
 * THE THREE FACES. Most operations come in two or three faces that differ
 * only in how text crosses the boundary.
 *
 *   plain (llAdd, xmlClean ...). Text arguments are counted byte strings
 *     (velk_bstr) made by SysAllocStringByteLen. Each one is HANDED OVER:
 *     the call releases it before it returns, on every path, failure
 *     included, so the caller passes a fresh string and never touches it
 *     again. The exceptions are xmlParse and xmlParseFile, which take the
 *     address of the caller's string and leave the string to the caller.
 *     A null pointer is the empty string; a string may hold NUL bytes.
 *     Text results are new counted strings that the CALLER OWNS and
 *     releases with SysFreeString. An empty result is the null pointer, and
 *     so is a result that could not be had for lack of memory.
 *   z (llzAdd, xmlzClean ...). Text arguments are C texts (const char *,
 *     NUL-terminated; a null pointer is ""), only read during the call.
 *     Text results point into a RETURN BUFFER that belongs to the library:
 *     one for the list family (the llz exports, llzLastError included) and
 *     one for the XML family (the xmlz exports, xmlzLastError included), per
 *     thread. EVERY z CALL THAT RETURNS TEXT PUTS ITS RESULT IN THAT ONE
 *     BUFFER: over the family's previous result when it fits, so that the
 *     earlier pointer now reads the new text, or else in a larger block,
 *     releasing the old one, so that the earlier pointer reads released
 *     memory. A result is good only until the next text-returning z call of
 *     the same family on the same thread, and two results of one family
 *     cannot be used together:
 *         printf("%s %s\n", xmlzAttribValue(doc, "id"), xmlzGetTag(doc));
 *     prints one of the two texts twice, or reads released memory. Copy a
 *     result before the next call:
 *         char id[64];
 *         snprintf(id, sizeof id, "%s", xmlzAttribValue(doc, "id"));
 *         printf("%s %s\n", id, xmlzGetTag(doc));
 *     A result may be passed as an argument to the next z call of its family
 *     (xmlzClean(xmlzGetTag(node))): the call has read its arguments before
 *     it puts its result. Calls of the other family, calls on other threads
 *     and z calls that return a handle or a number leave a result alone. A z
 *     result is never null: an empty result is "", and so is a result that
 *     could not be had for lack of memory. Text that holds NUL bytes is seen
 *     up to the first of them. A thread's buffers are released when the
 *     thread ends.
 *   b (llbAdd, llbData ...), lists only. Like plain, but an entry's data is
 *     kept and returned as exactly the bytes given, without a NUL behind
 *     them; names are handled as in the plain face.
 *
 * MEMORY. The caller owns, and must release:
 *   - every list it builds or loads: llFree from its first entry;
 *   - every document it parses: xmlFree from the node that the parse
 *     returned;
 *   - every element made by xmlAddSimpleChild, with its text child: they
 *     belong to no document (see xmlAddSimpleChild);
 *   - every plain-face text result: SysFreeString;
 *   - every block from GetMem or GetAsciiz: FreeMem.
 * The library owns the records and texts inside lists and trees, the two
 * return buffers of each thread, and the two last-error texts.
 *
 * RESULTS AND ERRORS. Handles answer 0 for "none". Calls that succeed or fail
 * answer VELK_SUCCESS (1) or VELK_FAILURE (0): llDelete, llListToFile,
 * llzListToFile, xmlSetAttrib, xmlzSetAttrib, xmlTreeToFile, xmlNodeToFile,
 * xmlzNodeToFile (llDeleteByName and llzDeleteByName always answer 1). Only
 * calls that touch files, parse text, or convert between lists and XML leave
 * a message, in one of two LAST-ERROR TEXTS: the list family's (llLastError)
 * and the XML family's (xmlLastError). Each description below lists the
 * messages its call can leave, byte for byte, each on a line of its own,
 * indented by three blanks and between double quotes; in them FILE stands for
 * the file name exactly as the caller gave it and N for a file error number
 * (below). A message replaces the family's text; NOTHING EVER CLEARS IT, and
 * a successful call leaves it as it was. So read the text only right after a
 * call has reported failure through its result: a non-empty text alone does
 * not mean that the last call failed. All other calls (lists in memory, tree
 * walks, attributes, searches, escaping, writing to strings) report only
 * through their result. The two texts are process-wide, shared by all
 * threads. When memory runs out for real, the call that failed still leaves
 * its message (up to 512 bytes, a file name included): what it had made is
 * released first, and the texts keep room for such a message from the
 * start.
 *
 * FILE ERROR NUMBERS. The N in file messages is one of: 53 file not found
 * (only when the file goes between the call's look for it and its open: a
 * missing file is told first by the call's own "not found" message, and a
 * writer's missing folder is 76), 76 path not found (a folder on the way is missing), 67 too many open
 * files, 70 access denied, locked or in use elsewhere (a sharing
 * violation), 7 out of memory, 61 disk full, 62 the file ends before the
 * data it announces, 64 a bad file name (empty, holding "*", "?" or a NUL
 * byte, or longer than 255 bytes, refused when the file is opened, before
 * the system is asked), 75 any other failure; rarer system failures give
 * 51, 68, 71, 72, 74 or 241. Every file call asks whether the file exists
 * before it opens it (FILE NAMES, below), so 64 is seen from every call
 * given a name longer than 255 bytes or holding a NUL byte, from a writer
 * given an empty name or a pattern that matches no file, and from a reader
 * given a pattern that matches a file; the other bad names get the "not
 * found" or "exists" message of their call.
 *
 * On Linux the system's errors give these numbers: ENOENT 53, or 76 when a
 * folder on the way is missing; ENOTDIR 76; EMFILE and ENFILE 67; EACCES,
 * EPERM, EROFS, EBUSY and a lock held by another opener (LOCKS, below) 70;
 * ENOMEM 7; ENOSPC 61; every other error 75, among them a folder (or
 * anything else that is not a regular file) under the name of a file to be
 * written, and EFBIG, a write past the process's file-size limit (ulimit
 * -f; when SIGXFSZ is not ignored, that signal ends the process instead).
 * 51, 68, 71, 72, 74 and 241 do not occur on Linux.
 *
 * FILE NAMES are passed to the system as given (relative names resolve
 * against the current directory). A name longer than 255 bytes, or one
 * holding a NUL byte (possible in a counted string), is refused: it exists
 * for no call, no call removes it, and every open refuses it (number 64);
 * up to release 1.0.0 it was cut after 255 bytes, or at the NUL, and named
 * another file. The message names it as given, NUL included: the plain
 * and b faces' last-error text holds it whole, while the z faces' (a C
 * text) ends at the NUL, before the file error number. Whether a file
 * "exists" is a directory search for the name that matches a regular file:
 * folders do not count, nor (on Windows) hidden or system files; a name
 * with "*" or "?" is a pattern for that search, while every open refuses it
 * (number 64).
 *
 * LOCKS. A file held "exclusively" while it is read keeps other openers
 * out; one "shared" admits other shared openers. On Windows this is the
 * sharing mode of the open. On Linux it is an ADVISORY flock() lock,
 * LOCK_EX or LOCK_SH, asked for without waiting: a conflicting lock that
 * another opener holds fails the call at once with the number 70. Such a
 * lock binds only programs that take flock() locks too: a program that
 * does not (or that takes POSIX fcntl() locks, which are separate) reads,
 * writes and deletes the file regardless, and the library's calls do not
 * see its fcntl() locks.
 *
 * WRITING FILES. Every writer (llListToFile, xmlTreeToFile, xmlNodeToFile)
 * writes into a new file of a private name in the folder of FILE (".velk",
 * eight hex digits, ".tmp"), that no other program has open, and when all
 * of it is written and closed gives it the name FILE in one step (a rename;
 * one that fails when the name is taken, unless a file is to be replaced).
 * So a reader of FILE finds the old file or the whole new one, never a
 * part, and is never refused because a write is in progress; a write that
 * fails (a full disk, the file-size limit) removes the private file and
 * leaves FILE as it was. A replaced file's other names (hard links) keep
 * the old bytes, and a symbolic link under the name FILE is replaced by the
 * new file, not followed. On Linux a replacement keeps the replaced file's
 * permission bits but setuid and setgid, which it drops (a replaced 6755
 * file is 0755 after), and its owner and group where the process may set
 * them; a new file (no file of that name before) has the mode 0666 less the
 * process's umask. On Windows the new file has its folder's inherited
 * permissions. The
 * files are not synced to the disk: a power loss may still lose what the
 * system had not written. A process killed while it writes leaves its
 * private file behind. On Windows, where a path has at most 259 bytes, the
 * private name can be up to 16 bytes longer than FILE's last part: a FILE
 * with a short last part within 16 bytes of that limit cannot be written.
 *
 * TEXT is bytes: no character encoding is interpreted, and no writer adds a
 * byte-order mark. The parser skips every byte before the first "<", a
 * UTF-8 byte-order mark (EF BB BF) among them, so a tree parsed from text
 * that begins with one is written back without it. Line breaks that the
 * library writes are CR LF.
 *
 * BLANKS are different bytes in three places:
 *   - where names, tags and keys lose their leading and trailing blanks
 *     (list names, attribute names, the tags of xmlFindChild and
 *     xmlAddSimpleChild ...), a blank is the space (0x20) only: a tab or a
 *     line end stays, and is compared like any other byte;
 *   - inside the tags that the parser reads, every byte from 0 to 32 (NUL,
 *     the tab, CR, LF, the other controls and the space) is a blank: it ends
 *     a tag name or an attribute name and separates attributes, so
 *     "<r\tx='1'\ny='2'>" holds two attributes, and "<\tr>" has an empty
 *     tag name;
 *   - before the number that llSort and llFindSmallest read from data, the
 *     space, the tab and the line feed are skipped (not the carriage return).
 * A blank that the library writes (before an attribute, in indentation) is
 * the space.
 *
 * THREADS. Any thread may call any export; the library starts no thread. It
 * takes no lock on lists or trees: a list or a tree is used by one thread
 * at a time. The z return buffers are per thread; the last-error texts are
 * shared (each replaced whole, under a lock), so with several threads the
 * text may be another thread's message.
 *
 * The ends of threads and processes. A thread may call any export while it
 * ends, from its thread_local objects' destructors or from a
 * pthread_key_create destructor, whether or not it called before; what it
 * took (its z return buffers, its cached memory blocks) is given back when
 * it is gone. exit() or a return from main while other threads still call
 * the library is safe: the library's process-wide state (the last-error
 * texts, its memory pools) is never destroyed while the process runs. A
 * child made by fork() while other threads were inside the library may use
 * the library. Not safe: a call from a signal handler, which may have
 * interrupted the library while it held a lock or was allocating memory.
 */
#ifndef VELK_XML_H
#define VELK_XML_H

#include <stddef.h> /* wchar_t */
#include <stdint.h>

/*
 * VERSION. velk_xml_version.h, written by the build and installed beside
 * this header, gives the version of the headers that a program is compiled
 * against: VELK_XML_VERSION_MAJOR, VELK_XML_VERSION_MINOR and
 * VELK_XML_VERSION_PATCH (numbers), VELK_XML_VERSION_STRING (such as
 * "1.0.0") and VELK_XML_VERSION_NUMBER (10000 * major + 100 * minor +
 * patch, such as 10000). No export answers the version of the library that
 * is loaded, on purpose: the table of exports is fixed (the 104 functions
 * below, and on Linux the three counted-string functions), and a version
 * function would be one more. The loaded library's version is in the DLL's
 * version resource on Windows; on Linux it is in the library's file name,
 * libvelk_xml.so.MAJOR.MINOR.PATCH, and its SONAME, libvelk_xml.so.MAJOR,
 * keeps a program from loading a library of another major version.
 */
#include "velk_xml_version.h"

#if defined(_WIN32) && !defined(_WIN64)
#define VELK_CALL __stdcall
#else /* 64-bit Windows and Linux: the platform's one C convention */
#define VELK_CALL
#endif

#if defined(VELK_BUILDING) && !defined(_WIN32)
#define VELK_API __attribute__((visibility("default")))
#else
#define VELK_API
#endif

/* The link name of an export whose plain name libxml2 defines too (see BESIDE
 * LIBXML2), on systems whose libraries are ELF files. */
#if defined(__ELF__) && defined(__GNUC__) && !defined(VELK_PLAIN_LINK_NAMES)
#define VELK_LINK_NAME(name) __asm__(#name)
#else
#define VELK_LINK_NAME(name)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* velk_handle: the address of a record, 0 for none (see HANDLES above). */
typedef uintptr_t velk_handle;

/*
 * velk_bstr: a counted byte string of the plain face, passed as the address
 * of its first byte; its 32-bit byte count is stored just in front of it.
 * SysAllocStringByteLen makes one, SysStringByteLen measures it and
 * SysFreeString releases it. A C text is not one: the plain face releases
 * what it is given, and would release the text too. On Windows velk_bstr is
 * oleaut32's BSTR (OLECHAR *, that is wchar_t *), so that those functions
 * and the exports exchange it without casts; it holds bytes all the same,
 * which VELK_BSTR_BYTES(s) gives for reading. Elsewhere the library itself
 * provides the three functions (below), and velk_bstr points to a structure
 * that is never defined, so that a C text passed where a counted string
 * belongs is caught as on Windows: a C compiler warns of incompatible
 * pointer types (-Wincompatible-pointer-types, on even without -Wall), a C++
 * compiler refuses the conversion. unsigned char * would not do: C compilers
 * take a char * for it with at most a signedness warning (-Wpointer-sign,
 * part of -Wall but easily turned off), and it would invite indexing bytes
 * that only VELK_BSTR_BYTES(s) should read. Keep counted strings in
 * velk_bstr variables, never in char *.
 */
#if defined(_WIN32)
typedef wchar_t *velk_bstr;
#else
typedef struct velk_bstr_bytes *velk_bstr;
#endif

/* The bytes of a counted string, for reading; SysStringByteLen(s) counts them. */
#define VELK_BSTR_BYTES(s) ((const char *)(s))

/* Node types: what xmlNodeType answers (and XmlNode.nodeType holds). */
#define VELK_NODE_NONE (-1)     /* xmlNodeType(0) only; never stored */
#define VELK_NODE_ELEMENT 0     /* <tag ...>, <tag ... />, also <!DOCTYPE ...> */
#define VELK_NODE_TEXT 1        /* character data between two tags */
#define VELK_NODE_COMMENT 2     /* <!-- ... --> */
#define VELK_NODE_INSTRUCTION 3 /* <?target ...?> */

/* Sort modes of llSort and llFindSmallest: by the data as text, byte by byte,
 * or by the number the data begins with. Every mode but 1 sorts as text. */
#define VELK_SORT_TEXT 0
#define VELK_SORT_NUMERIC 1

/* The depth argument of xmlFindNode, xmlzFindNode and xmlFindNodeRecursive:
 * a node depth (0 = top level), or this for any depth. */
#define VELK_ANY_DEPTH (-1)

/* The indent switch of xmlNodeToString, xmlTreeToString and their z twins:
 * 0 for one line, any other value for a line per node. */
#define VELK_COMPACT 0
#define VELK_INDENTED 1

/* The overwrite switch of xmlTreeToFile. */
#define VELK_KEEP_EXISTING 0
#define VELK_OVERWRITE 1

/* The int32_t results of calls that succeed or fail (llDelete, llListToFile,
 * xmlSetAttrib, xmlTreeToFile ...). */
#define VELK_SUCCESS 1
#define VELK_FAILURE 0

#if defined(_WIN32)
/*
 * Counted strings come from oleaut32 (link oleaut32.lib, or -loleaut32):
 * SysAllocStringByteLen, SysStringByteLen, SysFreeString, declared here as
 * <oleauto.h> declares them, so that a caller needs neither that header nor
 * <windows.h>, and either may come before or after this one.
 */
__declspec(dllimport) velk_bstr __stdcall SysAllocStringByteLen(const char *bytes, unsigned int len);
__declspec(dllimport) void __stdcall SysFreeString(velk_bstr s);
__declspec(dllimport) unsigned int __stdcall SysStringByteLen(velk_bstr s);
#else
/*
 * Counted strings where the system has none, exported by the library beside
 * its 104 functions, in the layout of oleaut32's: a 4-byte byte count, the
 * bytes, then two NUL bytes.
 *
 * SysAllocStringByteLen: a new string of len bytes copied from bytes (len
 * zero bytes when bytes is NULL); NULL when memory is exhausted.
 * SysFreeString: releases a string; NULL is ignored.
 * SysStringByteLen: the byte count of a string; 0 for NULL.
 */
VELK_API velk_bstr SysAllocStringByteLen(const char *bytes, uint32_t len);
VELK_API void SysFreeString(velk_bstr s);
VELK_API uint32_t SysStringByteLen(velk_bstr s);
#endif

/* ------------------------------------------------------------------------
 * Memory blocks and last-error texts
 * ------------------------------------------------------------------------ */

/*
 * GetMem: a new block of size bytes, zero-filled, fixed in memory.
 *
 * Returns the block, which the caller releases with FreeMem; 0 when memory
 * is exhausted or size is negative. What GetMem(0) gives is the system's
 * (a block or 0); FreeMem accepts either. Every record and text of the
 * library is such a block.
 */
VELK_API void *VELK_CALL GetMem(int32_t size);

/*
 * FreeMem: releases a block from GetMem or GetAsciiz. A null block is
 * ignored. Never pass it records or texts of lists and trees (llFree,
 * llDelete and xmlFree release those), nor anything else.
 */
VELK_API void VELK_CALL FreeMem(void *block);

/*
 * GetAsciiz: the bytes of a counted string as a C text in a block of its own.
 *
 *   text  plain face: handed over and released by the call.
 *
 * Returns a new block holding every byte of text (NUL bytes inside
 * included) and one NUL behind them; the caller releases it with FreeMem.
 * Returns 0, and makes no block, for the empty string, and 0 when memory is
 * exhausted.
 */
VELK_API void *VELK_CALL GetAsciiz(velk_bstr text);

/*
 * llLastError, llzLastError: the list family's last-error text.
 *
 * Set only by llListToFile, llzListToFile, llListFromFile and
 * llzListFromFile when they fail (their messages are listed there), and
 * never cleared: read it right after one of them has answered failure.
 * Empty until the first failure. Reading it does not change it.
 *
 * llLastError returns a new counted string (the caller releases it with
 * SysFreeString), or NULL while the text is empty. llzLastError returns the
 * text in the list family's return buffer, so it replaces the text of an
 * earlier llzData, llzName or llzDataByName result of the same thread; ""
 * while the text is empty.
 */
VELK_API velk_bstr VELK_CALL llLastError(void);
VELK_API const char *VELK_CALL llzLastError(void);

/*
 * xmlLastError, xmlzLastError: the XML family's last-error text.
 *
 * Set, on failure only, by xmlParse, xmlzParse, xmlParseFile,
 * xmlzParseFile, xmlTreeToFile, xmlNodeToFile, xmlzNodeToFile, xmlToList,
 * XMLATTRIBTOLIST, xmlFromList and xmlzFromList (their messages are listed
 * there), and never cleared. List failures never touch it, nor XML
 * failures the list family's text.
 *
 * xmlLastError returns a new counted string (the caller releases it), or
 * NULL while the text is empty. xmlzLastError returns the text in the XML
 * family's return buffer (replacing any earlier xmlz text result of the
 * thread); "" while the text is empty.
 */
VELK_API velk_bstr VELK_CALL xmlLastError(void) VELK_LINK_NAME(velk_xmlLastError);
VELK_API const char *VELK_CALL xmlzLastError(void);

/* ------------------------------------------------------------------------
 * Named lists: building and walking
 *
 * A named list is a chain of entries (ListNode records), each holding a name
 * and a block of data. The list is the handle of its first entry; 0 is the
 * empty list. Every list call works from the entry it is given towards the
 * end of the chain and never looks back. Names are NORMALISED when stored
 * and when used as keys: the capitals A to Z, and the code-page-437
 * capitals 0x80, 0x8E, 0x8F, 0x90, 0x99, 0x9A and 0xA5, become small
 * letters, then leading and trailing blanks go. An empty normalised name is
 * stored as no name, and no lookup ever finds it. Names need not be unique:
 * lookups find the first entry of a name.
 *
 * Data is read AS TEXT (llData, llzData, lookups by data, sorting, list
 * files, xmlFromList): the bytes before the first NUL, at most
 * llCapacity bytes. llbData and llbDataByName give all llCapacity bytes.
 *
 * None of these calls sets a last-error text.
 * ------------------------------------------------------------------------ */

/*
 * llAdd, llzAdd, llbAdd: append an entry at the end of a list.
 *
 *   list  0 to start a new list, or any entry of a list: the call walks from
 *         it to the last entry and links the new one behind that.
 *   name  the entry's name, stored normalised (see above); an empty or blank
 *         name gives an entry without a name. Nothing checks for an entry
 *         of the same name.
 *   data  llAdd, llzAdd: stored with a NUL behind it; NUL bytes inside are
 *         kept (llAdd) and counted by llCapacity, but the text readers stop
 *         at the first. llbAdd: exactly the bytes, no NUL.
 *   llAdd and llbAdd take over (release) name and data; llzAdd only reads
 *   its C texts.
 *
 * Returns the NEW ENTRY, which is the new list only when list was 0: keep
 * the first entry's handle as the list. Returns 0, with the list unchanged,
 * when memory is exhausted. If only the name's block cannot be had, the
 * entry is added without a name.
 *
 * COST. The add walks from list to the last entry, one step per entry on
 * the way. Given the list's first entry, each add costs time in proportion
 * to the length of the list, so appending n entries that way costs about
 * n * n / 2 steps: 100,000 entries take seconds. Given the last entry, the
 * add takes constant time, and n entries cost n steps (hundredths of a
 * second for 100,000). To append many entries, keep the entry that the
 * previous add returned and pass it:
 *     velk_handle list = llzAdd(0, "first", "1");
 *     velk_handle last = list;
 *     for (i = 0; i < n; ++i)
 *         last = llzAdd(last, names[i], values[i]);
 * and keep list, the first entry, as the list's handle.
 */
VELK_API velk_handle VELK_CALL llAdd(velk_handle list, velk_bstr name, velk_bstr data);
VELK_API velk_handle VELK_CALL llzAdd(velk_handle list, const char *name, const char *data);
VELK_API velk_handle VELK_CALL llbAdd(velk_handle list, velk_bstr name, velk_bstr data);

/*
 * llNext: the entry after node; 0 after the last entry and for node 0.
 */
VELK_API velk_handle VELK_CALL llNext(velk_handle node);

/*
 * llCount: the number of entries from node to the end of the chain, node
 * included; 0 for node 0. Walks the chain on every call.
 */
VELK_API int32_t VELK_CALL llCount(velk_handle node);

/*
 * llFindLast: the last entry of the chain that starts at node; 0 for node
 * 0. Walks the chain.
 */
VELK_API velk_handle VELK_CALL llFindLast(velk_handle node);

/*
 * llGetByNumber: the entry at a position, counting node itself as 1.
 *
 * Returns 0 when position is below 1 or beyond the end. Walks from node.
 */
VELK_API velk_handle VELK_CALL llGetByNumber(velk_handle node, int32_t position);

/*
 * llFindPrev: the entry just before node in the list that starts at list.
 *
 * Returns 0 when node is list itself (the first entry has none before it),
 * when node is not in the chain, and when list is 0. With node 0 it returns
 * the list's LAST entry (the one whose next is 0). Walks from list.
 */
VELK_API velk_handle VELK_CALL llFindPrev(velk_handle list, velk_handle node);

/*
 * llCapacity: the number of data bytes the entry holds, without the NUL
 * that the plain and z faces keep behind them (llData may see fewer, up to
 * a NUL inside). 0 for node 0, for empty data, and for an entry whose data
 * was lost by an update that ran out of memory.
 */
VELK_API int32_t VELK_CALL llCapacity(velk_handle node);

/*
 * llMoveFirst: moves an entry to the front of its list.
 *
 *   list    the list's first entry.
 *   node    the entry to move.
 *   before  the entry just before node: llFindPrev(list, node).
 *
 * Afterwards node is the list's first entry: the caller uses node as the
 * list's handle from then on. Does nothing when node is 0 or is list
 * itself. A wrong before corrupts the chain.
 */
VELK_API void VELK_CALL llMoveFirst(velk_handle list, velk_handle node, velk_handle before);

/*
 * llFree: releases node and every entry after it, with their names and
 * data. Pass the list's first entry: entries before node are not touched,
 * and the one just before it would keep a link to released memory. Node 0
 * is ignored.
 */
VELK_API void VELK_CALL llFree(velk_handle node);

/* ------------------------------------------------------------------------
 * Named lists: lookup and update
 * ------------------------------------------------------------------------ */

/*
 * llFindByName, llzFindByName: the first entry, from list on, whose name
 * equals name after normalisation (so "  ALPHA " finds an entry added as
 * "alpha"). Returns 0 when there is none; an empty or blank name never
 * matches. llFindByName releases name. Walks from list to the match.
 */
VELK_API velk_handle VELK_CALL llFindByName(velk_handle list, velk_bstr name);
VELK_API velk_handle VELK_CALL llzFindByName(velk_handle list, const char *name);

/*
 * llFindByData, llzFindByData: the first entry, from list on, whose data
 * (read as text) equals data normalised like a name.
 *
 * Only the key is normalised, never the stored data: data stored in lower
 * case without outer blanks is found whatever the case and blanks of the
 * key, while data that holds a capital or outer blanks is never found. An
 * empty key finds the first entry whose data text is empty. Returns 0 when
 * none matches. llFindByData releases data. Walks from list to the match.
 */
VELK_API velk_handle VELK_CALL llFindByData(velk_handle list, velk_bstr data);
VELK_API velk_handle VELK_CALL llzFindByData(velk_handle list, const char *data);

/*
 * llUpdate, llzUpdate, llbUpdate: replace an entry's data.
 *
 *   node  the entry; 0 does nothing.
 *   data  stored as llAdd (llUpdate, llzUpdate) or llbAdd (llbUpdate) store
 *         it. The old data block is released first. llUpdate and llbUpdate
 *         release data (for node 0 too); llzUpdate only reads it.
 *
 * The entry keeps its name, its place and its handle. When memory is
 * exhausted the entry is left WITHOUT DATA (llCapacity 0, readers give the
 * empty text): the old data is gone. No result.
 */
VELK_API void VELK_CALL llUpdate(velk_handle node, velk_bstr data);
VELK_API void VELK_CALL llzUpdate(velk_handle node, const char *data);
VELK_API void VELK_CALL llbUpdate(velk_handle node, velk_bstr data);

/*
 * llUpdateByName, llzUpdateByName, llbUpdateByName: set the data of a name,
 * adding the entry when it is missing.
 *
 * When llFindByName(list, name) finds an entry, its data is replaced as by
 * llUpdate (llbUpdate for the b face), and that entry is returned. Otherwise
 * a new entry is appended as by llAdd (llbAdd) and returned: a new list when
 * list is 0, else the new last entry (the caller's list handle stays
 * valid). Returns 0 when the add runs out of memory; the list is then
 * unchanged. Only the first entry of a name is ever updated. The lookup
 * walks the list from list on, and so does the add (see llAdd's COST).
 * llUpdateByName and llbUpdateByName release name and data.
 */
VELK_API velk_handle VELK_CALL llUpdateByName(velk_handle list, velk_bstr name, velk_bstr data);
VELK_API velk_handle VELK_CALL llzUpdateByName(velk_handle list, const char *name, const char *data);
VELK_API velk_handle VELK_CALL llbUpdateByName(velk_handle list, velk_bstr name, velk_bstr data);

/*
 * llData, llzData, llbData: an entry's data.
 *
 * llData and llzData give the data read as text: the bytes before its first
 * NUL. llbData gives all llCapacity bytes, NUL bytes included. Empty (NULL,
 * or "" for llzData) for node 0, for empty data and for an entry that lost
 * its data. llzData's result lives in the list family's return buffer.
 */
VELK_API velk_bstr VELK_CALL llData(velk_handle node);
VELK_API const char *VELK_CALL llzData(velk_handle node);
VELK_API velk_bstr VELK_CALL llbData(velk_handle node);

/*
 * llName, llzName: an entry's name as stored, that is normalised (an entry
 * added as " Colour" reads "colour"). Empty for node 0 and for an entry
 * without a name. llzName's result lives in the list family's return buffer.
 */
VELK_API velk_bstr VELK_CALL llName(velk_handle node);
VELK_API const char *VELK_CALL llzName(velk_handle node);

/*
 * llDataByName, llzDataByName, llbDataByName: the data of the first entry
 * of a name, as llData, llzData and llbData read it.
 *
 * Empty when no entry has the name: indistinguishable from an entry with
 * empty data (use llFindByName to tell them apart). The plain and b faces
 * release name. Walks from list to the match.
 */
VELK_API velk_bstr VELK_CALL llDataByName(velk_handle list, velk_bstr name);
VELK_API const char *VELK_CALL llzDataByName(velk_handle list, const char *name);
VELK_API velk_bstr VELK_CALL llbDataByName(velk_handle list, velk_bstr name);

/* ------------------------------------------------------------------------
 * Named lists: deleting and sorting
 * ------------------------------------------------------------------------ */

/*
 * llDelete: removes one entry and releases it with its name and data.
 *
 *   list  the list's first entry.
 *   node  the entry to remove; it must be in the chain that starts at list.
 *
 * Returns 1 when the entry was released, 0 (nothing done) when list or node
 * is 0. The entry before node is relinked to the one after it.
 * DELETING THE FIRST ENTRY RELEASES THE CALLER'S LIST HANDLE: the list then
 * begins at the entry that followed, so read llNext(list) first and use it
 * as the list afterwards. A node that is not in the chain from list is
 * released all the same, and whatever chain held it is left pointing at
 * released memory.
 */
VELK_API int32_t VELK_CALL llDelete(velk_handle list, velk_handle node);

/*
 * llDeleteByName, llzDeleteByName: llDelete of the first entry whose name
 * matches (as llFindByName finds it); later entries of that name stay.
 *
 * Returns 1 WHETHER OR NOT an entry was found. As with llDelete, when the
 * name belongs to the first entry the caller's list handle is released: a
 * caller that may delete the first entry compares llFindByName(list, name)
 * with its handle first and keeps llNext of it. llDeleteByName releases
 * name. Walks from list to the match.
 */
VELK_API int32_t VELK_CALL llDeleteByName(velk_handle list, velk_bstr name);
VELK_API int32_t VELK_CALL llzDeleteByName(velk_handle list, const char *name);

/*
 * llFindSmallest: the entry with the smallest data, from list on.
 *
 *   mode    VELK_SORT_NUMERIC (1) compares the numbers the data texts begin
 *           with; every other value (VELK_SORT_TEXT) compares the data
 *           texts byte by byte as unsigned values, a text that is the
 *           beginning of another coming first.
 *   before  receives the entry just before the one returned (0 when that is
 *           list itself or nothing is found); may be NULL.
 *
 * Returns the earliest of the smallest, or 0 when the list is empty or no
 * entry has data. An entry WITHOUT DATA is one that lost its data block to an
 * update that ran out of memory (llCapacity 0); such entries are passed over.
 * Empty data ("", or no bytes in the b face) is data and is compared like any
 * other: as text it comes first, as a number it counts 0.
 *
 * The number a data text begins with: after leading spaces, tabs and line
 * feeds (not carriage returns), a decimal number (optional sign, digits,
 * optional point and digits, optional exponent after E, e, D or d with
 * optional sign), or "&H" with hexadecimal digits, "&O" or "&Q" with octal,
 * "&B" with binary digits, or "&" directly followed by octal digits (letters
 * in either case); reading stops at the first byte that does not fit. A text
 * that does not begin with a number counts as 0. Walks the whole list.
 */
VELK_API velk_handle VELK_CALL llFindSmallest(velk_handle list, int32_t mode, velk_handle *before);

/*
 * llSort: orders a list by its data, ascending, in place.
 *
 *   list  the list's first entry.
 *   mode  as for llFindSmallest.
 *
 * Returns the FIRST ENTRY OF THE SORTED LIST, which the caller uses as the
 * list from then on (the old first entry may stand anywhere now). The sort
 * is stable: entries with equal keys keep their order. It relinks the
 * entries; every handle stays valid and nothing is allocated or copied.
 * Entries that lost their data (an update that ran out of memory) go to
 * the end, in their old order. Returns 0 for list 0, and list itself, with
 * nothing moved, when no entry has data: when every entry lost its data
 * (entries with empty data are sorted like the others). Runs in
 * O(n log n).
 */
VELK_API velk_handle VELK_CALL llSort(velk_handle list, int32_t mode);

/* ------------------------------------------------------------------------
 * Named lists: delimited text
 * ------------------------------------------------------------------------ */

/*
 * llDelimToList, llzDelimToList: splits a text into a new numbered list.
 *
 *   text       the text; llDelimToList reads every byte, NUL included.
 *   delimiter  only its FIRST BYTE is the delimiter; the rest is ignored.
 *              An empty delimiter makes the whole text one piece.
 *
 * Every non-empty piece becomes an entry, in order: its name is its number
 * among the entries ("1", "2", ...), its data the piece exactly (no
 * trimming, no case change). Empty pieces (between two delimiters, or at
 * either end) make no entry and take no number. Returns the new list, which
 * the caller releases with llFree; 0 when the text yields no piece, and 0
 * (with nothing left behind) when memory runs out. llDelimToList releases
 * both strings.
 */
VELK_API velk_handle VELK_CALL llDelimToList(velk_bstr text, velk_bstr delimiter);
VELK_API velk_handle VELK_CALL llzDelimToList(const char *text, const char *delimiter);

/* ------------------------------------------------------------------------
 * Named lists: list files
 *
 * A list file is binary: the 16 bytes "LINKED_LIST_TYPE", then for each
 * entry a 32-bit little-endian name length, the name, a data length and the
 * data (read as text, so data is saved up to its first NUL), then the end
 * marker -1 (FF FF FF FF). An empty list is 20 bytes.
 * ------------------------------------------------------------------------ */

/*
 * llListToFile, llzListToFile: saves a list into a NEW file.
 *
 *   list  the first entry to save (0 saves an empty list).
 *   file  the file name; never an existing file. llListToFile releases it.
 *
 * Returns 1 when the whole file was written, 0 on failure with one of these
 * list-family messages:
 *   "Unable to save linked list. File FILE already exists."
 *       (the existing file is not touched)
 *   "Unable to create save file FILEError = N"
 *       (no blank before "Error"; N 7 when memory ran out)
 *   "i/o error writing to file FILE"
 *       (a write or the close failed, as on a full disk: no file is left)
 * The list is written under a private name beside FILE (see WRITING
 * FILES) and takes the name FILE only when whole, never in the place of a
 * file, not even one made meanwhile: then the second message, N 75.
 */
VELK_API int32_t VELK_CALL llListToFile(velk_handle list, velk_bstr file);
VELK_API int32_t VELK_CALL llzListToFile(velk_handle list, const char *file);

/*
 * llListFromFile, llzListFromFile: loads a list file into a new list.
 *
 *   file  the file name. llListFromFile releases it.
 *
 * Returns the new list (the caller releases it with llFree). Returns 0 ON
 * FAILURE, with one of the messages below, AND ALSO, WITHOUT A MESSAGE, FOR
 * A FILE THAT HOLDS NO ENTRIES. Names are normalised again as they are
 * added, and entries of the same name stay separate. When memory runs out
 * for an entry (its record, data or name), the load fails whole with
 * "Error reading input file FILE Error = 7" and nothing is kept: a shorter
 * list would pass for the file's (up to release 1.0.0 such an entry was
 * skipped, or kept without its name, and the load went on). Loading stops
 * quietly, keeping
 * the entries read so far, at a negative length and where the file ends
 * instead of a length. The file is opened exclusively (for reading and
 * writing, or reading only when writing is refused). Messages (list
 * family):
 *   "Input file 'FILE' doesn't exist."
 *   "Unable to open file FILE Error = N"
 *   "File FILE doesn't contain a properly formatted linked list."
 *       (the first 16 bytes are not the signature)
 *   "Error reading input file FILE Error = N"
 *       (a read failed; N 62 when the file ends inside a name or data, 7
 *       when memory ran out; no list is returned)
 */
VELK_API velk_handle VELK_CALL llListFromFile(velk_bstr file);
VELK_API velk_handle VELK_CALL llzListFromFile(const char *file);

/* ------------------------------------------------------------------------
 * XML trees: walking, linking, releasing
 *
 * A tree is made of XmlNode records of four kinds (VELK_NODE_ELEMENT,
 * _TEXT, _COMMENT, _INSTRUCTION). Nodes are linked as a tree (first child,
 * parent, next and previous sibling) and, for the nodes that one parse
 * made, in the CREATION CHAIN: every node of that parse in document order,
 * beginning with the node the parse returned. xmlFree, xmlFindNode and the
 * reads built on it (xmlExtractSimpleChildData, xmlGetChildTagData,
 * xmlToList) follow the creation chain; everything else follows the tree
 * links. A document may have several top-level nodes (an instruction, the
 * text between it and the root element, the root element, ...): they are
 * siblings at depth 0 without a parent.
 *
 * None of these calls sets a last-error text.
 * ------------------------------------------------------------------------ */

/*
 * xmlNodeType: the node's kind: VELK_NODE_ELEMENT (0), VELK_NODE_TEXT (1),
 * VELK_NODE_COMMENT (2) or VELK_NODE_INSTRUCTION (3); VELK_NODE_NONE (-1)
 * for node 0.
 */
VELK_API int32_t VELK_CALL xmlNodeType(velk_handle node);

/*
 * xmlChild: the node's first child; 0 when it has none and for node 0. A
 * parsed element that has children always begins with a text node (the
 * text after its start tag, perhaps empty or only white space).
 */
VELK_API velk_handle VELK_CALL xmlChild(velk_handle node);

/*
 * xmlParent: the node's parent; 0 at the top level and for node 0.
 */
VELK_API velk_handle VELK_CALL xmlParent(velk_handle node);

/*
 * xmlNextSibling: the node's next sibling; 0 for the last child, for the
 * last top-level node and for node 0. (There is no export for the previous
 * sibling; velk_records.h shows the field.)
 */
VELK_API velk_handle VELK_CALL xmlNextSibling(velk_handle node);

/*
 * xmlAddChild: links child as the last child of parent.
 *
 * The child gets parent's depth + 1; its own descendants keep their depths
 * (the indented writer shows them as they were). The child is NOT taken
 * out of the place it had, and its own next-sibling link stays: link a
 * node that stands alone, such as the only node of a separate parse. Any
 * node may be a parent, whatever its kind, but only an element with an end
 * tag is written with its children inside: the children of a self-closed
 * element ("<b/>") or of a text, comment or instruction node are written
 * after it, with no end tag, so that the text reads back with another
 * structure (see xmlTreeToString). Does nothing when parent or child is 0.
 *
 * Linking does not change ownership: a child from another parse stays on
 * that parse's creation chain, so xmlFree of the parent's document does not
 * release it, and xmlFree of the child's own document leaves the parent
 * pointing at released memory. Release both documents together, when
 * neither is used any more.
 *
 * COST. The call walks parent's children to the last one: adding n children
 * to one parent takes time in proportion to n². A VelkAppender
 * (api/velk_edit.h) appends each child in constant time.
 */
VELK_API void VELK_CALL xmlAddChild(velk_handle parent, velk_handle child) VELK_LINK_NAME(velk_xmlAddChild);

/*
 * xmlFree: releases a parsed document.
 *
 *   node  THE NODE THAT xmlParse (or xmlzParse, xmlParseFile,
 *         xmlzParseFile) RETURNED. 0 is ignored.
 *
 * Releases node and every node after it on its creation chain, each with
 * its texts and attributes: called with the document's first node, every
 * node that parse made. It does not follow the tree links, so it does NOT
 * reach nodes added with xmlAddSimpleChild (release those as that call
 * says) nor nodes of another parse linked in with xmlAddChild. Called with
 * a node from the middle of a document it would release every node made
 * after that one and leave the rest pointing at released memory; called
 * with a node that is on no chain it releases that node alone.
 */
VELK_API void VELK_CALL xmlFree(velk_handle node) VELK_LINK_NAME(velk_xmlFree);

/*
 * xmlFreePointers: the same operation as xmlFree, under a second name kept
 * for callers that use it.
 */
VELK_API void VELK_CALL xmlFreePointers(velk_handle node);

/* ------------------------------------------------------------------------
 * Escaping with the five entities
 *
 * Only &amp; &lt; &gt; &quot; &apos; are known: no other named entity and
 * no numeric character reference is produced or understood. Trees hold
 * texts raw; the writers escape, the parser unescapes.
 * ------------------------------------------------------------------------ */

/*
 * xmlClean, xmlzClean, ll_xmlClean: escapes a text.
 *
 * Every & < > " ' becomes &amp; &lt; &gt; &quot; &apos;; nothing else
 * changes. Not idempotent: "&amp;" becomes "&amp;amp;". ll_xmlClean is the
 * same operation as xmlClean under the list family's prefix (it has no z
 * twin, and xmlzClean's result lives in the XML buffer). The plain faces
 * take NUL bytes through and release text; xmlzClean stops at the first
 * NUL.
 */
VELK_API velk_bstr VELK_CALL xmlClean(velk_bstr text);
VELK_API const char *VELK_CALL xmlzClean(const char *text);
VELK_API velk_bstr VELK_CALL ll_xmlClean(velk_bstr text);

/*
 * xmlUnClean, xmlzUnClean, ll_xmlUnClean: undoes one level of escaping.
 *
 * Each of the five entities, spelled exactly in lower case, becomes its
 * character; everything else (other entities, numeric references, "&AMP;",
 * a lone "&") stays. One level only: "&amp;lt;" becomes "&lt;". So
 * xmlUnClean(xmlClean(s)) is s for every s. ll_xmlUnClean is the same
 * operation as xmlUnClean. xmlUnClean and ll_xmlUnClean release text;
 * xmlzUnClean's result lives in the XML buffer.
 */
VELK_API velk_bstr VELK_CALL xmlUnClean(velk_bstr text);
VELK_API const char *VELK_CALL xmlzUnClean(const char *text);
VELK_API velk_bstr VELK_CALL ll_xmlUnClean(velk_bstr text);

/* ------------------------------------------------------------------------
 * Parsing
 * ------------------------------------------------------------------------ */

/*
 * xmlParse, xmlzParse: parses XML text into a new tree.
 *
 *   text  xmlParse: the ADDRESS of the caller's counted string. The string
 *         is only read; it is neither kept nor released and STAYS THE
 *         CALLER'S (unlike every other plain-face argument). A null address
 *         or a null string is the empty text.
 *         xmlzParse: a C text, read up to its NUL.
 *
 * Returns the FIRST NODE THE PARSE MADE, which is the document's handle:
 * give it to xmlFree to release the tree. It is not always the root
 * element: for text that begins "<?xml ...?>" it is that instruction, and
 * the element follows as a later sibling (after the text node between
 * them); xmlFindNode(doc, VELK_ANY_DEPTH, tag, ...) or xmlNextSibling reach
 * it. Bytes before the first "<" are ignored, and so is text after the last
 * tag.
 *
 * Returns 0 on failure, with everything made released and one of these
 * XML-family messages; the messages found inside the text begin with the
 * place, "(LINE:COLUMN) ", where lines are counted by CARRIAGE RETURNS ONLY
 * (text with bare line feeds is all line 1); on line 1 the column is the
 * distance in bytes from the first "<", on later lines the carriage return
 * that began the line is column 1:
 *   "Empty xml send to xml parser"
 *   "No starting tag found"
 *   "(L:C) Empty tag name specified"              a byte 0-32 right after "<"
 *   "(L:C) Invalid character found in tag name"   a quote, "<" or "="
 *   "(L:C) Invalid character found in attribute name: X"
 *   "(L:C) Invalid character found in attribute name (2): X"
 *   "(L:C) Double equals sign found in attribute"
 *   "(L:C) No equals sign found in attribute"
 *   "(L:C) No value specified for attribute 'NAME'"
 *   "(L:C) Attribute invalid character before attribute value. Attrib=NAME currentChar=D"
 *       (D: the byte's code in decimal)
 *   "(L:C) Too many end tags found. Last was /TAG"
 *   "(L:C) Nesting error. Expecing end tag=OPEN, but found TAG"
 *   "(L:C) Out of memory"
 * (The words are exact, "send" and "Expecing" included.) The place is the
 * byte at which the parser stopped: the one the message is about, and for
 * "Too many end tags" and "Nesting error" the ">" that closes the end tag
 * ("<a></b>" gives "(1:6) Nesting error. Expecing end tag=a, but found b").
 * "Invalid character found in attribute name: X" is for a quote, "<" or "="
 * where an attribute name would begin ("<a ='1'>"); its "(2)" twin for a
 * quote or "<" that ends a name ("<a b<c>"). Returns 0 WITHOUT
 * A MESSAGE, leaving the text as it was, when no node was completed (for
 * example "abc<" or "<a").
 *
 * What the parser accepts. It is lenient: elements left open at the end
 * are kept as they are (no error); end tags are checked against the open
 * element, byte for byte. Every run of character data between two tags
 * becomes a text node, even an empty one or one of white space only, with
 * the five entities undone; nothing is trimmed. Start tags: "<a b='1'>"
 * (either quote; the other quote, "<", ">" and blanks are plain bytes in a
 * value), "<a />" and "<a/>" are closed elements. An attribute name
 * without a value is dropped when ">" follows it at once ("<a b>", and
 * "<?p b?>" in an instruction); before a blank or "/>" it is an error
 * ("<a b >" and "<a b />" give "(1:5) No value specified for attribute
 * 'b'"), and in "<a b/>" the "/" is read as part of the name, which is
 * dropped, so that the element stays open. Repeated attributes are all kept, in order. Attribute
 * names and values have the entities undone; tag names and comments are
 * kept as written. "<!-- ... -->" is a comment, "<?t ...?>" an instruction
 * (tag "?t"). No validation, no other entities, no encoding. There is no
 * special case for "<![CDATA[" or "<!DOCTYPE"; each is read as a start tag:
 *   - A CDATA section becomes an open element named after its bytes up to
 *     the first blank or ">" ("![CDATA[x]]"), so the end tag of the element
 *     around it fails: "<r><![CDATA[x]]></r>" gives
 *     "(1:19) Nesting error. Expecing end tag=![CDATA[x]], but found r".
 *     A "<", "=" or quote in that name fails earlier, with
 *     "(L:C) Invalid character found in tag name". Outside every element the
 *     section is kept as an element that holds the rest of the document.
 *   - A document type declaration whose name ">" follows at once
 *     ("<!DOCTYPE html>") becomes an open element named "!DOCTYPE" (the name
 *     is dropped, as an attribute name without a value is) that everything
 *     after it nests in; the writers give it back as
 *     "<!DOCTYPE>...</!DOCTYPE>" (see xmlTreeToString). With a blank before
 *     the ">" it fails ("<!DOCTYPE html >" gives "(1:15) No value specified
 *     for attribute 'html'"). One with an identifier or an internal subset
 *     fails: "<!DOCTYPE html PUBLIC ...>" at the start of the text gives
 *     "(1:15) Attribute invalid character before attribute value.
 *     Attrib=html currentChar=80" (the "P"), and "<!DOCTYPE r [...]>" the
 *     same message for the "[" ("(1:12) ... Attrib=r currentChar=91").
 */
VELK_API velk_handle VELK_CALL xmlParse(velk_bstr *text);
VELK_API velk_handle VELK_CALL xmlzParse(const char *text);

/*
 * xmlParseFile, xmlzParseFile: reads a whole file and parses it as
 * xmlParse does.
 *
 *   file  xmlParseFile: the ADDRESS of the caller's counted string holding
 *         the file name; only read, and the string STAYS THE CALLER'S.
 *         xmlzParseFile: the file name as a C text.
 *
 * The bytes are read exactly as stored. Returns the first node made, as
 * xmlParse does (release it with xmlFree); 0 on failure, with the parser's
 * messages or one of these XML-family messages:
 *   "Cannot locate xml file FILE"
 *   "Error opening xml file FILE error=N"
 *   "File FILE is empty."
 *   "Error reading xml file FILE error=N"
 * The first message is for a name that names no regular file: also for a
 * folder, for a pattern with "*" or "?" that matches no file, and for an
 * empty name (or a null one), which gives "Cannot locate xml file " with
 * FILE empty, not the number 64. A pattern that matches a file gives the
 * second message with the number 64. The file is shared with other readers
 * while it is read (see LOCKS).
 */
VELK_API velk_handle VELK_CALL xmlParseFile(velk_bstr *file) VELK_LINK_NAME(velk_xmlParseFile);
VELK_API velk_handle VELK_CALL xmlzParseFile(const char *file);

/* ------------------------------------------------------------------------
 * Attributes
 *
 * Elements and instructions carry a chain of attributes in document order
 * (set attributes at its end). Names MATCH AFTER LEADING AND TRAILING
 * BLANKS are removed from both sides, byte for byte, CASE-SENSITIVELY ("ID"
 * is not "id"); the first match in the chain wins. Values are kept raw,
 * without escaping, with their blanks. None of these calls sets a
 * last-error text. The z faces that return text use the XML buffer.
 * ------------------------------------------------------------------------ */

/*
 * xmlAttribExists, xmlzAttribExists: whether the node has an attribute of
 * that name. Returns the attribute's handle (an XmlAttrib address; no
 * export takes one) as a true value, 0 when there is none and for node 0.
 * xmlAttribExists releases name. Walks the node's attributes.
 */
VELK_API velk_handle VELK_CALL xmlAttribExists(velk_handle node, velk_bstr name);
VELK_API velk_handle VELK_CALL xmlzAttribExists(velk_handle node, const char *name);

/*
 * xmlAttribCount: the number of the node's attributes; 0 for node 0.
 */
VELK_API int32_t VELK_CALL xmlAttribCount(velk_handle node);

/*
 * xmlAttribName, xmlzAttribName: the name of the attribute at a position
 * (1 = first), without outer blanks. Empty when the position is below 1 or
 * past the last attribute, and for node 0. Walks to the position.
 */
VELK_API velk_bstr VELK_CALL xmlAttribName(velk_handle node, int32_t position);
VELK_API const char *VELK_CALL xmlzAttribName(velk_handle node, int32_t position);

/*
 * xmlAttribValue, xmlzAttribValue: the value of the first attribute of that
 * name, exactly as stored (entities already undone by the parser, outer
 * blanks kept). Empty when there is no such attribute: indistinguishable
 * from an empty value (xmlAttribExists tells). xmlAttribValue releases name.
 * Walks the node's attributes.
 */
VELK_API velk_bstr VELK_CALL xmlAttribValue(velk_handle node, velk_bstr name);
VELK_API const char *VELK_CALL xmlzAttribValue(velk_handle node, const char *name);

/*
 * xmlSetAttrib, xmlzSetAttrib: sets an attribute.
 *
 *   name   trimmed of outer blanks and stored that way, case kept.
 *   value  stored unchanged (no trimming, no escaping); an empty value
 *          makes or keeps the attribute with an empty value. A value
 *          reads back only up to its first NUL.
 *
 * When the node has an attribute of that name, the first one gets the new
 * value and keeps its place and quote mark; otherwise a new attribute is
 * appended, written with double quotes. Returns 1 when set; 0, with the
 * node unchanged, for a blank name, for node 0 and when memory is
 * exhausted. xmlSetAttrib releases name and value.
 *
 * A node of any kind takes the attribute, but only elements and
 * instructions are written with theirs: on a text or comment node the call
 * returns 1 and the attribute reads back (xmlAttribValue, xmlAttribCount,
 * xmlAttribToString), but no writer ever writes it. Walks the node's
 * attributes.
 */
VELK_API int32_t VELK_CALL xmlSetAttrib(velk_handle node, velk_bstr name, velk_bstr value);
VELK_API int32_t VELK_CALL xmlzSetAttrib(velk_handle node, const char *name, const char *value);

/*
 * xmlAttribToString, xmlzAttribToString: the attribute part of the node's
 * start tag, as the writers put it after the tag name: for each attribute a
 * blank, the name, "=", and the value between the attribute's quote marks,
 * name and value escaped with the five entities:  a="1" b='x&lt;y'
 * (with the leading blank). Empty for node 0 and a node without attributes.
 */
VELK_API velk_bstr VELK_CALL xmlAttribToString(velk_handle node);
VELK_API const char *VELK_CALL xmlzAttribToString(velk_handle node);

/* ------------------------------------------------------------------------
 * Writing nodes and trees as text
 *
 * indent: VELK_COMPACT (0) writes everything on one line; any other value
 * (VELK_INDENTED) writes one node per line, indented by the node's depth in
 * blanks, each line ending in CR LF. Texts and attribute values are written
 * escaped; tag names, instruction tags and comment bodies as stored.
 * Nothing is written for a node whose text is empty (an empty text node),
 * not even a line. No call here sets a last-error text; when the text
 * cannot be had (memory, or more than a counted string holds) the result is
 * empty. The z faces use the XML buffer.
 * ------------------------------------------------------------------------ */

/*
 * xmlNodeToString, xmlzNodeToString: the markup of one node alone.
 *
 * An element's start tag ("<a x=\"1\">", or "<a />" when it is closed), an
 * instruction ("<?xml version='1.0'?>"), a comment ("<!--body-->", or
 * "<!-- -->" without a body) or a text, escaped. No children and no end
 * tag; line breaks inside texts are left as they are. Empty for node 0.
 */
VELK_API velk_bstr VELK_CALL xmlNodeToString(velk_handle node, int32_t indent);
VELK_API const char *VELK_CALL xmlzNodeToString(velk_handle node, int32_t indent);

/*
 * xmlTreeToString, xmlzTreeToString: a node with its subtree, AND THEN
 * EVERY FOLLOWING SIBLING with its subtree.
 *
 * Called with the node a parse returned, it writes the whole document;
 * called with a node in the middle of a sibling chain, that node and the
 * later siblings only. Every open element gets an end tag, even without
 * children. Line ends are made uniform in the whole text: carriage returns
 * are dropped and every line feed is written as CR LF, inside texts,
 * comments and values too. Empty for node 0.
 *
 * What reads back differently. A node's children are written after its own
 * markup, and an end tag follows them only for an element that is not
 * closed. So the children of a self-closed element, and of a text, comment
 * or instruction node (all given by xmlAddChild or xmlAddSimpleChild), are
 * written after that node as if they were its siblings: "<config/>" given a
 * child "port" is written "<config /><port>8080</port>". A parsed document
 * type declaration, an open element named "!DOCTYPE" (see xmlParse), is
 * written back as "<!DOCTYPE>" before the rest of the document and
 * "</!DOCTYPE>" after it, which other XML readers refuse.
 */
VELK_API velk_bstr VELK_CALL xmlTreeToString(velk_handle node, int32_t indent);
VELK_API const char *VELK_CALL xmlzTreeToString(velk_handle node, int32_t indent);

/*
 * xmlTreeToFile: writes the compact text of xmlTreeToString(node, 0) into a
 * file, nothing before or after it; what that text does not give back (see
 * xmlTreeToString) is lost in the file too.
 *
 *   node       0 writes an empty file.
 *   file       the file name; released by the call.
 *   overwrite  VELK_KEEP_EXISTING (0) refuses an existing file; any other
 *              value (VELK_OVERWRITE) replaces it with the new file, which
 *              keeps its permission bits (see WRITING FILES).
 *
 * The text is written under a private name beside FILE and takes the name
 * FILE only when whole (see WRITING FILES): a failure leaves the old file,
 * or no file, as it was. Returns 1 when the whole text was written, 0 on
 * failure with one of these XML-family messages:
 *   "Output file exists: FILE"
 *   "Output file exists and cannot be deleted."
 *       (with overwrite, a file that may not be replaced: held by another
 *       program's exclusive lock, or on Windows open in any program or
 *       read-only, or in a folder that does not let this process remove it)
 *   "Unable to open output file 'FILE', err=N"
 *       (N 75 also when a file of that name was made meanwhile)
 *   "Error writing output file 'FILE', err=N"   (N 7: memory ran out)
 *
 * A name with "*" or "?" is never written, and no file is deleted for it.
 * The call fails with "Output file exists: FILE" (without overwrite) or
 * "Output file exists and cannot be deleted." (with it) when the pattern
 * matches a file, else with the number 64.
 */
VELK_API int32_t VELK_CALL xmlTreeToFile(velk_handle node, velk_bstr file, int32_t overwrite);

/*
 * xmlNodeToFile, xmlzNodeToFile: the same text into a new file, never over
 * an existing one, not even one made while the text was written (then the
 * second message, N 75). Despite the name it writes what xmlTreeToFile
 * writes (the node, its subtree and its following siblings), in the same
 * way (see WRITING FILES). Returns 1 when written, 0 on failure with one of
 * these XML-family messages (no comma before "err"):
 *   "File 'FILE' already exists."
 *   "Unable to open output file 'FILE' err=N"
 *   "Error writing output file 'FILE' err=N"
 * A failed write or close leaves no file. A name with "*" or "?" gives the
 * first message when the pattern matches a file, else the number 64.
 * xmlNodeToFile releases file.
 */
VELK_API int32_t VELK_CALL xmlNodeToFile(velk_handle node, velk_bstr file);
VELK_API int32_t VELK_CALL xmlzNodeToFile(velk_handle node, const char *file);

/* ------------------------------------------------------------------------
 * Finding nodes
 *
 * An element MATCHES when its tag equals the asked tag exactly (case counts,
 * nothing trimmed, so an empty tag matches nothing) and, when the attribute
 * name is not empty, its xmlAttribValue for that name equals the asked
 * value: an asked value of "" also matches an element that lacks the
 * attribute. Plain faces release their strings; z faces read C texts (null
 * is ""); no buffer is used and no last-error text is set.
 * ------------------------------------------------------------------------ */

/*
 * xmlFindNode, xmlzFindNode: the first matching element along the
 * CREATION CHAIN, from start on.
 *
 *   start  the first candidate; 0 gives 0.
 *   depth  VELK_ANY_DEPTH (-1) or a depth (0 = top level) that the element
 *          must have.
 *   tag, attr_name, attr_value  as described above.
 *
 * The search runs in document order over every later node of the same
 * parse that is at least as deep as start: it does NOT STOP AT THE END OF
 * start's SUBTREE, so it also finds elements below start's later siblings
 * and below its parent's later siblings. It never sees nodes that were
 * added after parsing (xmlAddSimpleChild, xmlAddChild), except start
 * itself; it sees the elements of api/velk_edit.h, which join the chain.
 * Returns the element, or 0. xmlFindNode releases tag, attr_name and
 * attr_value. COST: one step per node from start to the match, or to the
 * end of the document.
 */
VELK_API velk_handle VELK_CALL xmlFindNode(velk_handle start, int32_t depth, velk_bstr tag,
                                           velk_bstr attr_name, velk_bstr attr_value);
VELK_API velk_handle VELK_CALL xmlzFindNode(velk_handle start, int32_t depth, const char *tag,
                                            const char *attr_name, const char *attr_value);

/*
 * xmlFindNodeRecursive: the first matching element along the TREE LINKS:
 * node itself, its subtree, then each following sibling with its subtree,
 * in document order; never the parent or the parent's siblings. With a
 * depth other than VELK_ANY_DEPTH only elements at that depth match, and
 * the search does not go below it. Sees nodes linked in after parsing.
 * Returns the element, or 0 (also when memory runs out). Releases tag,
 * attr_name and attr_value. COST: one step per node searched.
 */
VELK_API velk_handle VELK_CALL xmlFindNodeRecursive(velk_handle node, int32_t depth, velk_bstr tag,
                                                    velk_bstr attr_name, velk_bstr attr_value);

/*
 * xmlFindChild, xmlzFindChild: the first ELEMENT among parent's direct
 * children whose tag equals tag without its outer blanks. Text, comment
 * and instruction children are skipped. 0 when none, and for parent 0.
 * xmlFindChild releases tag. COST: one step per child before the match.
 */
VELK_API velk_handle VELK_CALL xmlFindChild(velk_handle parent, velk_bstr tag);
VELK_API velk_handle VELK_CALL xmlzFindChild(velk_handle parent, const char *tag);

/*
 * xmlFindSpecificChild, xmlzFindSpecificChild: the first direct child of
 * parent whose text (tag) without outer blanks equals tag without outer
 * blanks and whose xmlAttribValue for attr_name equals attr_value. The
 * child's kind is not tested, so a text child whose text equals tag matches
 * when attr_value is "". With attr_name and attr_value both empty the
 * search is by tag alone; with attr_name empty and attr_value not, nothing
 * matches. 0 when none, and for parent 0. xmlFindSpecificChild releases
 * tag, attr_name and attr_value. COST: one step per child before the match,
 * and for each child the walk of its attributes.
 */
VELK_API velk_handle VELK_CALL xmlFindSpecificChild(velk_handle parent, velk_bstr tag, velk_bstr attr_name,
                                                    velk_bstr attr_value);
VELK_API velk_handle VELK_CALL xmlzFindSpecificChild(velk_handle parent, const char *tag,
                                                     const char *attr_name, const char *attr_value);

/*
 * xmlFindDataChild: the text node that holds an element's data: the first
 * text node met going down from the node's first child along first-child
 * links (never to a sibling). For a parsed element with children that is
 * its first child, the text right after its start tag, EVEN WHEN IT IS
 * EMPTY and a later child holds text. 0 for a node without children and
 * for node 0.
 */
VELK_API velk_handle VELK_CALL xmlFindDataChild(velk_handle node);

/* ------------------------------------------------------------------------
 * Element data and simple children
 *
 * Texts are returned as stored (unescaped); "" (NULL in the plain face)
 * also for node 0 and for searches that find nothing, which the caller
 * cannot tell apart. The z faces use the XML buffer. No last-error text.
 * ------------------------------------------------------------------------ */

/*
 * xmlGetTag, xmlzGetTag: the node's main text: an element's tag name, a
 * text node's text, "!--" for a comment, "?" and the target for an
 * instruction ("?xml"). Empty for node 0 and an empty text node.
 */
VELK_API velk_bstr VELK_CALL xmlGetTag(velk_handle node);
VELK_API const char *VELK_CALL xmlzGetTag(velk_handle node);

/*
 * xmlChildData, xmlzChildData: an element's data: the text of the node that
 * xmlFindDataChild finds. So for <a>x<b/>y</a> it is "x", and for
 * <a><b>x</b></a> it is "" (the empty text before <b>).
 */
VELK_API velk_bstr VELK_CALL xmlChildData(velk_handle node);
VELK_API const char *VELK_CALL xmlzChildData(velk_handle node);

/*
 * xmlExtractSimpleChildData, xmlzExtractSimpleChildData: the data
 * (xmlChildData) of the first element with that tag one level below node,
 * found by xmlFindNode(node, depth of node + 1, tag, "", ""). Like that
 * search it reads on past node's subtree: when node has no such child, an
 * element at that depth further on in the document (a child of node's next
 * sibling, say) answers. It does not see children added after parsing. The
 * tag is compared exactly; nothing is removed from the tree.
 * xmlExtractSimpleChildData releases tag.
 */
VELK_API velk_bstr VELK_CALL xmlExtractSimpleChildData(velk_handle node, velk_bstr tag);
VELK_API const char *VELK_CALL xmlzExtractSimpleChildData(velk_handle node, const char *tag);

/*
 * xmlGetChildTagData, xmlzGetChildTagData: the data of the first element
 * with that tag at any depth from node on, found by xmlFindNode(node,
 * VELK_ANY_DEPTH, tag, "", ""): node itself when its tag matches, else the
 * first such element after it in the document at node's depth or deeper.
 * xmlGetChildTagData releases tag. COST: that of xmlFindNode.
 */
VELK_API velk_bstr VELK_CALL xmlGetChildTagData(velk_handle node, velk_bstr tag);
VELK_API const char *VELK_CALL xmlzGetChildTagData(velk_handle node, const char *tag);

/*
 * xmlAddSimpleChild, xmlzAddSimpleChild: appends to parent a new element
 * holding one text node.
 *
 *   parent  any node; the element becomes its last child.
 *   tag     the element's tag, trimmed of outer blanks.
 *   data    the text, stored unchanged (escaped only when written).
 *
 * Returns the new element; 0, with the tree unchanged, for a blank tag, for
 * parent 0 and when memory is exhausted. xmlAddSimpleChild releases tag and
 * data.
 *
 * Only an element with an end tag is written with its children inside. A
 * self-closed element (a parsed "<config/>") and a text, comment or
 * instruction node are written with their children AFTER them and no end
 * tag: a parsed "<config/>" given the child ("port", "8080") writes
 * "<config /><port>8080</port>", which reads back as two siblings, not as a
 * parent and its child. Add children to elements that were read with an end
 * tag ("<config></config>").
 *
 * The element and its text are on NO CREATION CHAIN: the tree links reach
 * them (xmlFindChild, xmlFindNodeRecursive, xmlChildData, the writers) but
 * xmlFindNode and the reads built on it do not, and XMLFREE OF THE DOCUMENT
 * DOES NOT RELEASE THEM. The caller releases them itself, after it has done
 * with the tree:
 *     xmlFree(xmlChild(element)); xmlFree(element);
 *
 * COST. The call walks parent's children to the last one, as xmlAddChild
 * does: n children added to one parent take time in proportion to n². The
 * elements of api/velk_edit.h (velk_new_element, a VelkAppender) join the
 * document's chain instead, and an appender adds each in constant time.
 */
VELK_API velk_handle VELK_CALL xmlAddSimpleChild(velk_handle parent, velk_bstr tag, velk_bstr data);
VELK_API velk_handle VELK_CALL xmlzAddSimpleChild(velk_handle parent, const char *tag, const char *data);

/* ------------------------------------------------------------------------
 * Lists as XML
 *
 * The XML list form of a list named NAME with entries (n1, d1), (n2, d2):
 *     <list name="NAME">CRLF
 *     <listitem name="n1">d1</listitem>CRLF
 *     <listitem name="n2">d2</listitem>CRLF
 *     </list>
 * with no line end after the last line; every name and data escaped.
 * ------------------------------------------------------------------------ */

/*
 * xmlFromList, xmlzFromList: the XML list form of a list.
 *
 *   list       the first entry to write; 0 writes a list without items.
 *   list_name  written as given (not normalised). xmlFromList releases it.
 *
 * Entry names are written as stored (normalised), data as llData reads it.
 * Returns the text (xmlzFromList: in the XML buffer). When memory runs out
 * it returns the empty result and sets the XML-family message
 *   "Out of memory"
 */
VELK_API velk_bstr VELK_CALL xmlFromList(velk_handle list, velk_bstr list_name);
VELK_API const char *VELK_CALL xmlzFromList(velk_handle list, const char *list_name);

/*
 * xmlToList: reads the XML list form back from a parsed tree into a new
 * list.
 *
 *   node  where the search starts: the first element named "list" is
 *         found as xmlFindNode(node, VELK_ANY_DEPTH, "list", "", "") finds
 *         it (node itself, or later in the document, nested or not).
 *
 * Each child of that element tagged "listitem" gives an entry, in order:
 * its "name" attribute (unescaped by the parser) and its xmlChildData; other
 * children are skipped. An item whose name matches an earlier one (as list
 * names match) replaces that entry's data instead of adding one. The list's
 * own name is not read. Returns the new list (release it with llFree); 0
 * for node 0 and, without a message, when the element has no items.
 * Otherwise 0 with one of these XML-family messages:
 *   "List node not found in xml"
 *   "Out of memory"
 */
VELK_API velk_handle VELK_CALL xmlToList(velk_handle node);

/*
 * XMLATTRIBTOLIST: a new list of the node's attributes: for each, in order,
 * an entry named after the attribute (normalised as list names are, so "ID"
 * and "id" become one entry holding the later value) holding its value.
 * Returns the list (release it with llFree); 0 for node 0 and a node
 * without attributes. When memory runs out it returns 0 with the XML-family
 * message
 *   "Out of memory"
 */
VELK_API velk_handle VELK_CALL XMLATTRIBTOLIST(velk_handle node);

/* Function-pointer types, one per export, for callers that bind by name at
 * run time (GetProcAddress, dlsym):
 *     llAdd_fn add = (llAdd_fn)GetProcAddress(dll, "llAdd");
 */
typedef void *(VELK_CALL *GetMem_fn)(int32_t);
typedef void(VELK_CALL *FreeMem_fn)(void *);
typedef void *(VELK_CALL *GetAsciiz_fn)(velk_bstr);
typedef velk_bstr(VELK_CALL *llLastError_fn)(void);
typedef const char *(VELK_CALL *llzLastError_fn)(void);
typedef velk_bstr(VELK_CALL *xmlLastError_fn)(void);
typedef const char *(VELK_CALL *xmlzLastError_fn)(void);
typedef velk_handle(VELK_CALL *llAdd_fn)(velk_handle, velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *llzAdd_fn)(velk_handle, const char *, const char *);
typedef velk_handle(VELK_CALL *llbAdd_fn)(velk_handle, velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *llNext_fn)(velk_handle);
typedef int32_t(VELK_CALL *llCount_fn)(velk_handle);
typedef velk_handle(VELK_CALL *llFindLast_fn)(velk_handle);
typedef velk_handle(VELK_CALL *llGetByNumber_fn)(velk_handle, int32_t);
typedef velk_handle(VELK_CALL *llFindPrev_fn)(velk_handle, velk_handle);
typedef int32_t(VELK_CALL *llCapacity_fn)(velk_handle);
typedef void(VELK_CALL *llMoveFirst_fn)(velk_handle, velk_handle, velk_handle);
typedef void(VELK_CALL *llFree_fn)(velk_handle);
typedef velk_handle(VELK_CALL *llFindByName_fn)(velk_handle, velk_bstr);
typedef velk_handle(VELK_CALL *llzFindByName_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *llFindByData_fn)(velk_handle, velk_bstr);
typedef velk_handle(VELK_CALL *llzFindByData_fn)(velk_handle, const char *);
typedef void(VELK_CALL *llUpdate_fn)(velk_handle, velk_bstr);
typedef void(VELK_CALL *llzUpdate_fn)(velk_handle, const char *);
typedef void(VELK_CALL *llbUpdate_fn)(velk_handle, velk_bstr);
typedef velk_handle(VELK_CALL *llUpdateByName_fn)(velk_handle, velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *llzUpdateByName_fn)(velk_handle, const char *, const char *);
typedef velk_handle(VELK_CALL *llbUpdateByName_fn)(velk_handle, velk_bstr, velk_bstr);
typedef velk_bstr(VELK_CALL *llData_fn)(velk_handle);
typedef const char *(VELK_CALL *llzData_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *llbData_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *llName_fn)(velk_handle);
typedef const char *(VELK_CALL *llzName_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *llDataByName_fn)(velk_handle, velk_bstr);
typedef const char *(VELK_CALL *llzDataByName_fn)(velk_handle, const char *);
typedef velk_bstr(VELK_CALL *llbDataByName_fn)(velk_handle, velk_bstr);
typedef int32_t(VELK_CALL *llDelete_fn)(velk_handle, velk_handle);
typedef int32_t(VELK_CALL *llDeleteByName_fn)(velk_handle, velk_bstr);
typedef int32_t(VELK_CALL *llzDeleteByName_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *llFindSmallest_fn)(velk_handle, int32_t, velk_handle *);
typedef velk_handle(VELK_CALL *llSort_fn)(velk_handle, int32_t);
typedef velk_handle(VELK_CALL *llDelimToList_fn)(velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *llzDelimToList_fn)(const char *, const char *);
typedef int32_t(VELK_CALL *llListToFile_fn)(velk_handle, velk_bstr);
typedef int32_t(VELK_CALL *llzListToFile_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *llListFromFile_fn)(velk_bstr);
typedef velk_handle(VELK_CALL *llzListFromFile_fn)(const char *);
typedef int32_t(VELK_CALL *xmlNodeType_fn)(velk_handle);
typedef velk_handle(VELK_CALL *xmlChild_fn)(velk_handle);
typedef velk_handle(VELK_CALL *xmlParent_fn)(velk_handle);
typedef velk_handle(VELK_CALL *xmlNextSibling_fn)(velk_handle);
typedef void(VELK_CALL *xmlAddChild_fn)(velk_handle, velk_handle);
typedef void(VELK_CALL *xmlFree_fn)(velk_handle);
typedef void(VELK_CALL *xmlFreePointers_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *xmlClean_fn)(velk_bstr);
typedef const char *(VELK_CALL *xmlzClean_fn)(const char *);
typedef velk_bstr(VELK_CALL *xmlUnClean_fn)(velk_bstr);
typedef const char *(VELK_CALL *xmlzUnClean_fn)(const char *);
typedef velk_bstr(VELK_CALL *ll_xmlClean_fn)(velk_bstr);
typedef velk_bstr(VELK_CALL *ll_xmlUnClean_fn)(velk_bstr);
typedef velk_handle(VELK_CALL *xmlParse_fn)(velk_bstr *);
typedef velk_handle(VELK_CALL *xmlzParse_fn)(const char *);
typedef velk_handle(VELK_CALL *xmlParseFile_fn)(velk_bstr *);
typedef velk_handle(VELK_CALL *xmlzParseFile_fn)(const char *);
typedef velk_handle(VELK_CALL *xmlAttribExists_fn)(velk_handle, velk_bstr);
typedef velk_handle(VELK_CALL *xmlzAttribExists_fn)(velk_handle, const char *);
typedef int32_t(VELK_CALL *xmlAttribCount_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *xmlAttribName_fn)(velk_handle, int32_t);
typedef const char *(VELK_CALL *xmlzAttribName_fn)(velk_handle, int32_t);
typedef velk_bstr(VELK_CALL *xmlAttribValue_fn)(velk_handle, velk_bstr);
typedef const char *(VELK_CALL *xmlzAttribValue_fn)(velk_handle, const char *);
typedef int32_t(VELK_CALL *xmlSetAttrib_fn)(velk_handle, velk_bstr, velk_bstr);
typedef int32_t(VELK_CALL *xmlzSetAttrib_fn)(velk_handle, const char *, const char *);
typedef velk_bstr(VELK_CALL *xmlAttribToString_fn)(velk_handle);
typedef const char *(VELK_CALL *xmlzAttribToString_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *xmlNodeToString_fn)(velk_handle, int32_t);
typedef const char *(VELK_CALL *xmlzNodeToString_fn)(velk_handle, int32_t);
typedef velk_bstr(VELK_CALL *xmlTreeToString_fn)(velk_handle, int32_t);
typedef const char *(VELK_CALL *xmlzTreeToString_fn)(velk_handle, int32_t);
typedef int32_t(VELK_CALL *xmlTreeToFile_fn)(velk_handle, velk_bstr, int32_t);
typedef int32_t(VELK_CALL *xmlNodeToFile_fn)(velk_handle, velk_bstr);
typedef int32_t(VELK_CALL *xmlzNodeToFile_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *xmlFindNode_fn)(velk_handle, int32_t, velk_bstr, velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *xmlzFindNode_fn)(velk_handle, int32_t, const char *, const char *,
                                                const char *);
typedef velk_handle(VELK_CALL *xmlFindNodeRecursive_fn)(velk_handle, int32_t, velk_bstr, velk_bstr,
                                                        velk_bstr);
typedef velk_handle(VELK_CALL *xmlFindChild_fn)(velk_handle, velk_bstr);
typedef velk_handle(VELK_CALL *xmlzFindChild_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *xmlFindSpecificChild_fn)(velk_handle, velk_bstr, velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *xmlzFindSpecificChild_fn)(velk_handle, const char *, const char *,
                                                         const char *);
typedef velk_handle(VELK_CALL *xmlFindDataChild_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *xmlGetTag_fn)(velk_handle);
typedef const char *(VELK_CALL *xmlzGetTag_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *xmlChildData_fn)(velk_handle);
typedef const char *(VELK_CALL *xmlzChildData_fn)(velk_handle);
typedef velk_bstr(VELK_CALL *xmlExtractSimpleChildData_fn)(velk_handle, velk_bstr);
typedef const char *(VELK_CALL *xmlzExtractSimpleChildData_fn)(velk_handle, const char *);
typedef velk_bstr(VELK_CALL *xmlGetChildTagData_fn)(velk_handle, velk_bstr);
typedef const char *(VELK_CALL *xmlzGetChildTagData_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *xmlAddSimpleChild_fn)(velk_handle, velk_bstr, velk_bstr);
typedef velk_handle(VELK_CALL *xmlzAddSimpleChild_fn)(velk_handle, const char *, const char *);
typedef velk_bstr(VELK_CALL *xmlFromList_fn)(velk_handle, velk_bstr);
typedef const char *(VELK_CALL *xmlzFromList_fn)(velk_handle, const char *);
typedef velk_handle(VELK_CALL *xmlToList_fn)(velk_handle);
typedef velk_handle(VELK_CALL *XMLATTRIBTOLIST_fn)(velk_handle);

#ifdef __cplusplus
}
#endif

#endif
