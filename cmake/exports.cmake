# The export list is written by hand once, in api/velk_xml.def (decorated
# __stdcall names). Everything else that lists the exports is derived from it
# here, at configure time:
#   VELK_EXPORTS_DECORATED  the .def's names as written ("GetMem@4")
#   VELK_EXPORTS            the same names undecorated ("GetMem")
#   VELK_EXPORT_MAP         the ELF version script of the shared library: the
#                           exports, plus the counted-string functions that
#                           oleaut32 supplies on Windows and the library itself
#                           elsewhere, all in the version node
#                           VELK_SYMBOL_VERSION; every other symbol is local.
#   VELK_SYMBOL_VERSION     the version node of those names ("VELK_XML_1.0").
#   VELK_LINK_MAP and the link names of four exports: below.
#   VELK_EXPORT_DEF_X64     the .def of the 64-bit Windows DLL: x64 has one
#                           calling convention and no decorations, so it
#                           lists the undecorated names.
set(VELK_EXPORT_DEF ${PROJECT_SOURCE_DIR}/api/velk_xml.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VELK_EXPORT_DEF})

file(STRINGS ${VELK_EXPORT_DEF} velk_def_lines)
set(VELK_EXPORTS_DECORATED "")
set(VELK_EXPORTS "")
foreach(line IN LISTS velk_def_lines)
  string(STRIP "${line}" line)
  if(line AND NOT line MATCHES "^(LIBRARY|EXPORTS|;)")
    list(APPEND VELK_EXPORTS_DECORATED "${line}")
    string(REGEX REPLACE "@[0-9]+$" "" line "${line}")
    list(APPEND VELK_EXPORTS "${line}")
  endif()
endforeach()

# Writes the text to the file only when it differs, so that an unchanged
# export list relinks nothing.
function(velk_write_if_changed file text)
  set(old "")
  if(EXISTS ${file})
    file(READ ${file} old)
  endif()
  if(NOT "${old}" STREQUAL "${text}")
    file(WRITE ${file} "${text}")
  endif()
endfunction()

# Every export carries a version node, so the loader binds each reference
# to the library it was linked against. xmlFree, xmlParseFile, xmlAddChild and
# xmlLastError are libxml2's names too (xmlFree and xmlLastError variables
# there): unversioned, ours would satisfy libxml2's own references when this
# library is searched first, and libxml2's would satisfy a plugin's references
# to ours when libxml2 is. Programs linked against the unversioned 1.0.0
# library find the same names. The node names the 1.0 interface and is never
# renamed; exports added later go in a new node that inherits it.
#   VELK_LIBXML2_NAMES  those four names. On ELF systems the header links
#                       them by the names VELK_LINK_NAMES (velk_xmlFree ...),
#                       defined in the node VELK_LINK_VERSION; the plain names
#                       stay, as aliases of those, in the 1.0 node.
#   VELK_EXPORT_MAP     the library's version script.
#   VELK_LINK_MAP       the version script of the library that programs link
#                       with (libvelk_xml.so): the same, less the four plain
#                       names, so that a program's own references to
#                       libxml2's names bind to libxml2 whichever of the two
#                       it names first. Its SONAME is the library's.
set(VELK_SYMBOL_VERSION VELK_XML_1.0)
set(VELK_LINK_VERSION VELK_XML_1.1)
set(VELK_LIBXML2_NAMES xmlFree xmlParseFile xmlAddChild xmlLastError)
set(VELK_LINK_NAMES velk_xmlFree velk_xmlParseFile velk_xmlAddChild velk_xmlLastError)
function(velk_write_map file)
  set(map "${VELK_SYMBOL_VERSION} {\n  global:\n")
  foreach(name IN LISTS ARGN)
    string(APPEND map "    ${name};\n")
  endforeach()
  string(APPEND map "  local:\n    *;\n};\n${VELK_LINK_VERSION} {\n  global:\n")
  foreach(name IN LISTS VELK_LINK_NAMES)
    string(APPEND map "    ${name};\n")
  endforeach()
  string(APPEND map "} ${VELK_SYMBOL_VERSION};\n")
  velk_write_if_changed(${file} "${map}")
endfunction()
set(velk_map_names SysAllocStringByteLen SysFreeString SysStringByteLen ${VELK_EXPORTS})
set(VELK_EXPORT_MAP ${PROJECT_BINARY_DIR}/api/velk_xml.map)
velk_write_map(${VELK_EXPORT_MAP} ${velk_map_names})
list(REMOVE_ITEM velk_map_names ${VELK_LIBXML2_NAMES})
set(VELK_LINK_MAP ${PROJECT_BINARY_DIR}/api/velk_xml_link.map)
velk_write_map(${VELK_LINK_MAP} ${velk_map_names})

set(velk_def_x64 "; The exports of the 64-bit VELK_XML.dll, made from api/velk_xml.def.\nLIBRARY VELK_XML.dll\nEXPORTS\n")
foreach(name IN LISTS VELK_EXPORTS)
  string(APPEND velk_def_x64 "${name}\n")
endforeach()
set(VELK_EXPORT_DEF_X64 ${PROJECT_BINARY_DIR}/api/velk_xml_x64.def)
velk_write_if_changed(${VELK_EXPORT_DEF_X64} "${velk_def_x64}")
