# The Debian packages, made by CPack's DEB generator from the install's
# components (`cmake --build --preset deb --target package` writes them to
# <build>/package/):
#   libvelk-xml1     library: libvelk_xml.so.1 and libvelk_xml.so.1.0.0 in
#                    /usr/lib/<multiarch>, with its shlibs file and the
#                    ldconfig trigger
#   libvelk-xml-dev  development: the headers, libvelk_xml.so, velk_xml.pc,
#                    the CMake package, README.md and the examples
#   velkxml          tool: /usr/bin/velkxml and its man page
# Each holds /usr/share/doc/<package>/copyright (LICENSE in Debian's
# machine-readable form), changelog.Debian.gz (package/debian/changelog) and
# changelog.gz (CHANGELOG.md). The Debian revision is that of the newest
# entry of package/debian/changelog, whose upstream version must be the
# project's.

# CPACK_POST_BUILD_SCRIPTS came in CMake 3.19,
# CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS in 3.20.
if(CMAKE_VERSION VERSION_LESS 3.20)
  message(FATAL_ERROR "VELK_DEB needs CMake 3.20 or later")
endif()
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "VELK_DEB needs -DCMAKE_INSTALL_PREFIX=/usr (the deb preset sets it), not ${CMAKE_INSTALL_PREFIX}")
endif()
if(NOT TARGET velkxml)
  message(FATAL_ERROR "VELK_DEB needs the tool: VELK_BUILD_TOOL is OFF")
endif()
if(CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "VELK_DEB packages the build of this machine; a cross build's packages are not made or tested")
endif()
# dpkg-shlibdeps (dpkg-dev) finds the packages' dependencies; dpkg-deb
# finishes the packages (package/debian/finish.cmake).
find_program(VELK_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(VELK_DPKG_DEB dpkg-deb)
find_program(VELK_GZIP gzip)
foreach(tool VELK_DPKG_SHLIBDEPS VELK_DPKG_DEB VELK_GZIP)
  if(NOT ${tool})
    message(FATAL_ERROR "VELK_DEB needs dpkg-shlibdeps, dpkg-deb and gzip: install dpkg-dev (scripts/build does)")
  endif()
endforeach()

set(velk_deb_source ${PROJECT_SOURCE_DIR}/package/debian)
set(velk_deb_files ${PROJECT_BINARY_DIR}/package-files/debian)
file(MAKE_DIRECTORY ${velk_deb_files})
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${velk_deb_source}/changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cli/velkxml.1)

file(STRINGS ${velk_deb_source}/changelog velk_deb_top LIMIT_COUNT 1)
if(NOT velk_deb_top MATCHES "^velk-xml \\(([^ ()]+)-([A-Za-z0-9.+~]+)\\) ")
  message(FATAL_ERROR "package/debian/changelog does not begin with an entry \"velk-xml (VERSION-REVISION) ...\": ${velk_deb_top}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest entry of package/debian/changelog is for ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}-1")
endif()
set(velk_deb_revision ${CMAKE_MATCH_2})

# gzip -9n: the same bytes from the same text, with no name or time in them.
function(velk_deb_gzip source target)
  execute_process(COMMAND ${VELK_GZIP} -9nc INPUT_FILE ${source} OUTPUT_FILE ${target} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${source} ended with ${status}")
  endif()
endfunction()
velk_deb_gzip(${velk_deb_source}/changelog ${velk_deb_files}/changelog.Debian.gz)
velk_deb_gzip(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${velk_deb_files}/changelog.gz)
velk_deb_gzip(${PROJECT_SOURCE_DIR}/cli/velkxml.1 ${velk_deb_files}/velkxml.1.gz)

# The copyright file: LICENSE's copyright line, and its text as the body of
# the License field (each line indented, a blank line written " .").
file(READ ${PROJECT_SOURCE_DIR}/LICENSE velk_license)
if(NOT velk_license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n+(.*)$")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) ...\"")
endif()
set(VELK_DEB_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" velk_license)
string(REGEX REPLACE "\n\n+" "\n.\n" velk_license "${velk_license}")
string(REPLACE "\n" "\n " velk_license "${velk_license}")
set(VELK_DEB_LICENSE " ${velk_license}")
configure_file(${velk_deb_source}/copyright.in ${velk_deb_files}/copyright @ONLY)

set(velk_deb_library libvelk-xml${PROJECT_VERSION_MAJOR})
set(velk_deb_development libvelk-xml-dev)
set(velk_deb_tool velkxml)
foreach(component library development tool)
  set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${velk_deb_${component}})
  install(FILES ${velk_deb_files}/copyright ${velk_deb_files}/changelog.Debian.gz ${velk_deb_files}/changelog.gz
          DESTINATION ${doc} COMPONENT ${component})
endforeach()
set(velk_deb_dev_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${velk_deb_development})
install(FILES README.md DESTINATION ${velk_deb_dev_doc} COMPONENT development)
# The examples as a project of their own, built against the installed package.
install(DIRECTORY examples/ DESTINATION ${velk_deb_dev_doc}/examples COMPONENT development)
install(FILES ${velk_deb_files}/velkxml.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL library development tool)
set(CPACK_PACKAGE_NAME velk-xml)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${velk_deb_revision})
set(CPACK_DEBIAN_PACKAGE_SOURCE velk-xml)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VELK_XML developers <velk-xml@example.org>")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies from dpkg-shlibdeps; it finds libvelk_xml.so.1, which the tool
# needs, in the build tree. The packages of this build depend on the library
# package of exactly this version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)
set(CPACK_COMPONENT_TOOL_DEPENDS library)
# Programs built against the library need this version or a later one of
# the same SONAME.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${velk_deb_source}/triggers)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${velk_deb_library})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${velk_deb_development})
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${velk_deb_tool})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION text)
set(velk_deb_about "VELK_XML is a library of named lists and XML trees behind a flat C
interface. A named list is an ordered chain of name/data entries, which
programs append to, walk, look up, update, sort, save to a binary list file
and load back. The XML side has a lenient parser that reports exact error
positions, a tree of nodes with attributes, compact and indented writers,
searches, escaping, and a bridge between lists and XML.")
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "named lists and XML trees behind a flat C interface
${velk_deb_about}

This package holds the shared library.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "named lists and XML trees behind a flat C interface - development files
${velk_deb_about}

This package holds what programs are built with: the headers, which are
the reference of every call, the library to link, the pkg-config file
(velk_xml) and the CMake package (find_package(velk_xml)), and the
examples, a CMake project of two small C programs.")
set(CPACK_DEBIAN_TOOL_DESCRIPTION "check, format and query XML files, show and pack list files
velkxml checks XML files for well-formedness and formats them, finds
elements and reads values in them, shows list files and packs XML into
them, and splits delimited text. It is a small caller of the VELK_XML
library, a library of named lists and XML trees behind a flat C interface.")

# What CPack cannot write: the Multi-Arch fields, and the library package
# without the ldconfig calls that CPack puts in its maintainer scripts (the
# trigger above does that work).
set(CPACK_POST_BUILD_SCRIPTS ${velk_deb_source}/finish.cmake)
set(CPACK_VELK_DPKG_DEB ${VELK_DPKG_DEB})
set(CPACK_VELK_TRIGGERED ${velk_deb_library})
set(CPACK_VELK_MULTI_ARCH ${velk_deb_library}=same ${velk_deb_development}=same ${velk_deb_tool}=foreign)

include(CPack)
