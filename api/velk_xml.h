/*
 * VELK_XML: named lists and XML trees behind a flat C interface.
 *
 * Every export has C linkage and, in the 32-bit Windows DLL, the __stdcall
 * convention. Handles are addresses of the library's records (0 = none).
 *
 * Faces:
 *   plain  text arguments are counted byte strings (SysAllocStringByteLen)
 *          that the library releases before it returns; text results are new
 *          counted strings owned by the caller (NULL = empty).
 *   z      text arguments are C texts that are only read; text results live
 *          in a per-thread return buffer of the family until the next z call
 *          of that family on the same thread. Never NULL.
 *   b      like plain, but entry data is stored and returned as raw bytes.
 */
#ifndef VELK_XML_H
#define VELK_XML_H

#include <stddef.h> /* wchar_t */
#include <stdint.h>

#include "velk_xml_version.h"

#if defined(_WIN32)
#define VELK_CALL __stdcall
#else
#define VELK_CALL
#endif

#if defined(VELK_BUILDING) && !defined(_WIN32)
#define VELK_API __attribute__((visibility("default")))
#else
#define VELK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t velk_handle; /* a ListNode, XmlNode or XmlAttrib address */

#if defined(_WIN32)
/* The BSTR of oleaut32 (OLECHAR *, that is wchar_t *), so that the results of
 * SysAllocStringByteLen pass to the exports, and theirs to SysFreeString,
 * without casts. The string holds bytes all the same. */
typedef wchar_t *velk_bstr;
#else
typedef char *velk_bstr; /* data pointer of a counted byte string */
#endif

/* The bytes of a counted string, for reading it; SysStringByteLen(s) counts them. */
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
/* Counted strings come from oleaut32: SysAllocStringByteLen, SysFreeString,
 * SysStringByteLen (include <oleauto.h>). */
#else
/* Where the platform has no counted strings the library provides them: a
 * 4-byte byte count in front of the data and two NUL bytes behind it. */
VELK_API velk_bstr SysAllocStringByteLen(const char *bytes, uint32_t len);
VELK_API void SysFreeString(velk_bstr s);
VELK_API uint32_t SysStringByteLen(velk_bstr s);
#endif

/* Memory blocks and errors */
VELK_API void *VELK_CALL GetMem(int32_t size);
VELK_API void VELK_CALL FreeMem(void *block);
VELK_API void *VELK_CALL GetAsciiz(velk_bstr text);
VELK_API velk_bstr VELK_CALL llLastError(void);
VELK_API const char *VELK_CALL llzLastError(void);
VELK_API velk_bstr VELK_CALL xmlLastError(void);
VELK_API const char *VELK_CALL xmlzLastError(void);

/* Building and walking lists */
VELK_API velk_handle VELK_CALL llAdd(velk_handle list, velk_bstr name, velk_bstr data);
VELK_API velk_handle VELK_CALL llzAdd(velk_handle list, const char *name, const char *data);
VELK_API velk_handle VELK_CALL llbAdd(velk_handle list, velk_bstr name, velk_bstr data);
VELK_API velk_handle VELK_CALL llNext(velk_handle node);
VELK_API int32_t VELK_CALL llCount(velk_handle node);
VELK_API velk_handle VELK_CALL llFindLast(velk_handle node);
VELK_API velk_handle VELK_CALL llGetByNumber(velk_handle node, int32_t position);
VELK_API velk_handle VELK_CALL llFindPrev(velk_handle list, velk_handle node);
VELK_API int32_t VELK_CALL llCapacity(velk_handle node);
VELK_API void VELK_CALL llMoveFirst(velk_handle list, velk_handle node, velk_handle before);
VELK_API void VELK_CALL llFree(velk_handle node);

/* Lists as keyed stores: lookup and update */
VELK_API velk_handle VELK_CALL llFindByName(velk_handle list, velk_bstr name);
VELK_API velk_handle VELK_CALL llzFindByName(velk_handle list, const char *name);
VELK_API velk_handle VELK_CALL llFindByData(velk_handle list, velk_bstr data);
VELK_API velk_handle VELK_CALL llzFindByData(velk_handle list, const char *data);
VELK_API void VELK_CALL llUpdate(velk_handle node, velk_bstr data);
VELK_API void VELK_CALL llzUpdate(velk_handle node, const char *data);
VELK_API void VELK_CALL llbUpdate(velk_handle node, velk_bstr data);
VELK_API velk_handle VELK_CALL llUpdateByName(velk_handle list, velk_bstr name, velk_bstr data);
VELK_API velk_handle VELK_CALL llzUpdateByName(velk_handle list, const char *name, const char *data);
VELK_API velk_handle VELK_CALL llbUpdateByName(velk_handle list, velk_bstr name, velk_bstr data);
VELK_API velk_bstr VELK_CALL llData(velk_handle node);
VELK_API const char *VELK_CALL llzData(velk_handle node);
VELK_API velk_bstr VELK_CALL llbData(velk_handle node);
VELK_API velk_bstr VELK_CALL llName(velk_handle node);
VELK_API const char *VELK_CALL llzName(velk_handle node);
VELK_API velk_bstr VELK_CALL llDataByName(velk_handle list, velk_bstr name);
VELK_API const char *VELK_CALL llzDataByName(velk_handle list, const char *name);
VELK_API velk_bstr VELK_CALL llbDataByName(velk_handle list, velk_bstr name);

/* Deleting entries and sorting (mode 1: by numeric value; other modes: by text) */
VELK_API int32_t VELK_CALL llDelete(velk_handle list, velk_handle node);
VELK_API int32_t VELK_CALL llDeleteByName(velk_handle list, velk_bstr name);
VELK_API int32_t VELK_CALL llzDeleteByName(velk_handle list, const char *name);
VELK_API velk_handle VELK_CALL llFindSmallest(velk_handle list, int32_t mode, velk_handle *before);
VELK_API velk_handle VELK_CALL llSort(velk_handle list, int32_t mode);

/* Delimited text to a numbered list */
VELK_API velk_handle VELK_CALL llDelimToList(velk_bstr text, velk_bstr delimiter);
VELK_API velk_handle VELK_CALL llzDelimToList(const char *text, const char *delimiter);

/* List files */
VELK_API int32_t VELK_CALL llListToFile(velk_handle list, velk_bstr file);
VELK_API int32_t VELK_CALL llzListToFile(velk_handle list, const char *file);
VELK_API velk_handle VELK_CALL llListFromFile(velk_bstr file);
VELK_API velk_handle VELK_CALL llzListFromFile(const char *file);

/* XML tree: walking, linking, releasing */
VELK_API int32_t VELK_CALL xmlNodeType(velk_handle node);
VELK_API velk_handle VELK_CALL xmlChild(velk_handle node);
VELK_API velk_handle VELK_CALL xmlParent(velk_handle node);
VELK_API velk_handle VELK_CALL xmlNextSibling(velk_handle node);
VELK_API void VELK_CALL xmlAddChild(velk_handle parent, velk_handle child);
VELK_API void VELK_CALL xmlFree(velk_handle node);
VELK_API void VELK_CALL xmlFreePointers(velk_handle node);

/* Escaping with the five entities */
VELK_API velk_bstr VELK_CALL xmlClean(velk_bstr text);
VELK_API const char *VELK_CALL xmlzClean(const char *text);
VELK_API velk_bstr VELK_CALL xmlUnClean(velk_bstr text);
VELK_API const char *VELK_CALL xmlzUnClean(const char *text);
VELK_API velk_bstr VELK_CALL ll_xmlClean(velk_bstr text);
VELK_API velk_bstr VELK_CALL ll_xmlUnClean(velk_bstr text);

/* Parsing: xmlParse reads the caller's string through its address and
 * leaves it to the caller */
VELK_API velk_handle VELK_CALL xmlParse(velk_bstr *text);
VELK_API velk_handle VELK_CALL xmlzParse(const char *text);
/* xmlParseFile reads the caller's file-name string through its address. */
VELK_API velk_handle VELK_CALL xmlParseFile(velk_bstr *file);
VELK_API velk_handle VELK_CALL xmlzParseFile(const char *file);

/* Attributes */
VELK_API velk_handle VELK_CALL xmlAttribExists(velk_handle node, velk_bstr name);
VELK_API velk_handle VELK_CALL xmlzAttribExists(velk_handle node, const char *name);
VELK_API int32_t VELK_CALL xmlAttribCount(velk_handle node);
VELK_API velk_bstr VELK_CALL xmlAttribName(velk_handle node, int32_t position);
VELK_API const char *VELK_CALL xmlzAttribName(velk_handle node, int32_t position);
VELK_API velk_bstr VELK_CALL xmlAttribValue(velk_handle node, velk_bstr name);
VELK_API const char *VELK_CALL xmlzAttribValue(velk_handle node, const char *name);
VELK_API int32_t VELK_CALL xmlSetAttrib(velk_handle node, velk_bstr name, velk_bstr value);
VELK_API int32_t VELK_CALL xmlzSetAttrib(velk_handle node, const char *name, const char *value);
VELK_API velk_bstr VELK_CALL xmlAttribToString(velk_handle node);
VELK_API const char *VELK_CALL xmlzAttribToString(velk_handle node);

/* Writing a node or a tree as text (indent 0: compact, else indented) */
VELK_API velk_bstr VELK_CALL xmlNodeToString(velk_handle node, int32_t indent);
VELK_API const char *VELK_CALL xmlzNodeToString(velk_handle node, int32_t indent);
VELK_API velk_bstr VELK_CALL xmlTreeToString(velk_handle node, int32_t indent);
VELK_API const char *VELK_CALL xmlzTreeToString(velk_handle node, int32_t indent);
/* The compact text into a new file (xmlTreeToFile may delete an old one
 * first when overwrite is non-zero). */
VELK_API int32_t VELK_CALL xmlTreeToFile(velk_handle node, velk_bstr file, int32_t overwrite);
VELK_API int32_t VELK_CALL xmlNodeToFile(velk_handle node, velk_bstr file);
VELK_API int32_t VELK_CALL xmlzNodeToFile(velk_handle node, const char *file);

/* Finding nodes: xmlFindNode walks the creation chain of one parse, the
 * others follow the tree links (depth -1: any depth) */
VELK_API velk_handle VELK_CALL xmlFindNode(velk_handle start, int32_t depth, velk_bstr tag,
                                           velk_bstr attr_name, velk_bstr attr_value);
VELK_API velk_handle VELK_CALL xmlzFindNode(velk_handle start, int32_t depth, const char *tag,
                                            const char *attr_name, const char *attr_value);
VELK_API velk_handle VELK_CALL xmlFindNodeRecursive(velk_handle node, int32_t depth, velk_bstr tag,
                                                    velk_bstr attr_name, velk_bstr attr_value);
VELK_API velk_handle VELK_CALL xmlFindChild(velk_handle parent, velk_bstr tag);
VELK_API velk_handle VELK_CALL xmlzFindChild(velk_handle parent, const char *tag);
VELK_API velk_handle VELK_CALL xmlFindSpecificChild(velk_handle parent, velk_bstr tag, velk_bstr attr_name,
                                                    velk_bstr attr_value);
VELK_API velk_handle VELK_CALL xmlzFindSpecificChild(velk_handle parent, const char *tag,
                                                     const char *attr_name, const char *attr_value);
VELK_API velk_handle VELK_CALL xmlFindDataChild(velk_handle node);

/* Element data and simple children */
VELK_API velk_bstr VELK_CALL xmlGetTag(velk_handle node);
VELK_API const char *VELK_CALL xmlzGetTag(velk_handle node);
VELK_API velk_bstr VELK_CALL xmlChildData(velk_handle node);
VELK_API const char *VELK_CALL xmlzChildData(velk_handle node);
VELK_API velk_bstr VELK_CALL xmlExtractSimpleChildData(velk_handle node, velk_bstr tag);
VELK_API const char *VELK_CALL xmlzExtractSimpleChildData(velk_handle node, const char *tag);
VELK_API velk_bstr VELK_CALL xmlGetChildTagData(velk_handle node, velk_bstr tag);
VELK_API const char *VELK_CALL xmlzGetChildTagData(velk_handle node, const char *tag);
VELK_API velk_handle VELK_CALL xmlAddSimpleChild(velk_handle parent, velk_bstr tag, velk_bstr data);
VELK_API velk_handle VELK_CALL xmlzAddSimpleChild(velk_handle parent, const char *tag, const char *data);

/* Lists as XML: the XML list form both ways, and attributes as a list */
VELK_API velk_bstr VELK_CALL xmlFromList(velk_handle list, velk_bstr list_name);
VELK_API const char *VELK_CALL xmlzFromList(velk_handle list, const char *list_name);
VELK_API velk_handle VELK_CALL xmlToList(velk_handle node);
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
