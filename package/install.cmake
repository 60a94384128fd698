# What `cmake --install` puts where, and the Windows ZIP.
#
# Linux, under the prefix (GNU folders): the headers, libvelk_xml.so with its
# versioned names, velkxml and its man page, velk_xml.pc, the CMake package
# velk_xml::velk_xml, and LICENSE, README.md, CHANGELOG.md and the examples
# in the documentation folder.
# Every destination is relative to the prefix, so `cmake --install --prefix`
# moves the whole tree; the folder names below the prefix are GNUInstallDirs'
# of the configured prefix (lib/<multiarch> for /usr on Debian), fixed when
# the build is configured. The installed tree can be moved whole: the tool
# finds the library by $ORIGIN (unless the library's folder is one the system
# searches), velk_xml.pc and the CMake package find the prefix from their own
# place.
# Every rule belongs to one component: library (the versioned .so files),
# development (headers, libvelk_xml.so, velk_xml.pc, the CMake package, the
# documentation and examples) or tool (velkxml, its man page).
# Windows, the folder that the ZIP holds: the headers in include/, the DLL,
# its import libraries (mingw's and Microsoft's), its .def, libvelk_check.a
# and velkxml.exe in a folder per architecture
# (x86/, x64/), and LICENSE.txt, README.txt, CHANGELOG.md at the top.
include(CMakePackageConfigHelpers)

# Installed programs and libraries carry no debug sections, whatever the build
# type: CMake's own strip step (that of `cmake --install --strip`) runs unless
# the installer sets CMAKE_INSTALL_DO_STRIP itself; also when one component
# alone is installed, so the step is in both components that hold binaries.
option(VELK_INSTALL_STRIP "Strip the installed programs and libraries" ON)
if(VELK_INSTALL_STRIP)
  foreach(component library tool)
    install(CODE "if(NOT DEFINED CMAKE_INSTALL_DO_STRIP)\n  set(CMAKE_INSTALL_DO_STRIP 1)\nendif()"
            COMPONENT ${component})
  endforeach()
endif()

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(velk_arch_dir x64)
  else()
    set(velk_arch_dir x86)
  endif()
  set(velk_bin_dir ${velk_arch_dir})
  set(velk_lib_dir ${velk_arch_dir})
  set(velk_include_dir include)
else()
  set(velk_bin_dir ${CMAKE_INSTALL_BINDIR})
  set(velk_lib_dir ${CMAKE_INSTALL_LIBDIR})
  set(velk_include_dir ${CMAKE_INSTALL_INCLUDEDIR})
endif()

# libvelk_xml.so, what programs link with, is the library of that name that
# leaves libxml2's names to libxml2 (velk_xml_link) on Linux; the usual link
# to the versioned file elsewhere.
if(TARGET velk_xml_link)
  set(velk_namelink NAMELINK_SKIP)
  install(TARGETS velk_xml_link LIBRARY DESTINATION ${velk_lib_dir} COMPONENT development)
else()
  set(velk_namelink NAMELINK_COMPONENT development)
endif()
install(TARGETS velk_xml EXPORT velk_xmlTargets
  RUNTIME DESTINATION ${velk_bin_dir} COMPONENT library
  LIBRARY DESTINATION ${velk_lib_dir} COMPONENT library ${velk_namelink}
  ARCHIVE DESTINATION ${velk_lib_dir} COMPONENT development
  INCLUDES DESTINATION ${velk_include_dir})
# The check and strict parse (velk_xml::velk_check): a static library that
# calls the library's exports.
install(TARGETS velk_check EXPORT velk_xmlTargets ARCHIVE DESTINATION ${velk_lib_dir} COMPONENT development
  INCLUDES DESTINATION ${velk_include_dir})
install(FILES api/velk_xml.h api/velk_records.h api/velk_strings.h api/velk_edit.h api/velk_check.h api/velk_xml.hpp
        ${VELK_GENERATED_API}/velk_xml_version.h
        DESTINATION ${velk_include_dir} COMPONENT development)

if(TARGET velkxml)
  install(TARGETS velkxml RUNTIME DESTINATION ${velk_bin_dir} COMPONENT tool)
endif()

if(WIN32)
  # The import library for Microsoft's linker, beside mingw's.
  install(FILES ${CMAKE_BINARY_DIR}/bin/VELK_XML.lib DESTINATION ${velk_arch_dir})
  # The export list for making import libraries: 32-bit names carry their
  # __stdcall decorations, 64-bit ones none.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    install(FILES ${VELK_EXPORT_DEF_X64} DESTINATION ${velk_arch_dir} RENAME VELK_XML.def)
  else()
    install(FILES api/velk_xml.def DESTINATION ${velk_arch_dir} RENAME VELK_XML.def)
  endif()
  # Text files as Windows editors expect them.
  configure_file(package/README-windows.txt ${PROJECT_BINARY_DIR}/package-files/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${PROJECT_BINARY_DIR}/package-files/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/package-files/README.txt ${PROJECT_BINARY_DIR}/package-files/LICENSE.txt
                CHANGELOG.md
          DESTINATION .)

  # `cmake --build --preset win32 --target package` (or cpack) zips the
  # installed folder as package/VELK_XML-<version>-windows.zip.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME VELK_XML)
  set(CPACK_PACKAGE_VENDOR "The VELK_XML developers")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME VELK_XML-${PROJECT_VERSION}-windows)
  set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  # The 32-bit build's ZIP also holds x64/ of a 64-bit build, when that build
  # has made its DLL by the time the ZIP is packed.
  set(VELK_PACKAGE_X64_BUILD "" CACHE PATH "A 64-bit Windows build folder whose x64/ the ZIP also holds")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND VELK_PACKAGE_X64_BUILD)
    set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};velk_xml;ALL;/")
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/package-files/cpack_x64.cmake)
    file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
      "if(EXISTS [[${VELK_PACKAGE_X64_BUILD}/bin/VELK_XML.dll]])\n"
      "  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS [[${VELK_PACKAGE_X64_BUILD}]] velk_xml ALL /)\n"
      "endif()\n")
  endif()
  include(CPack)
  return()
endif()

# The installed tool finds the library beside it, wherever the prefix is,
# except where the library's folder is one the system searches anyway
# (/usr/lib/<multiarch> for the prefix /usr): there the tool carries no
# search path of its own, as the system's programs do not.
if(TARGET velkxml)
  # The platform's folders and those the compiler links from (the multiarch
  # ones among them).
  set(velk_system_libs ${CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES} ${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES})
  list(FIND velk_system_libs "${CMAKE_INSTALL_FULL_LIBDIR}" velk_system_lib)
  if(velk_system_lib EQUAL -1)
    file(RELATIVE_PATH velk_tool_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
    set_target_properties(velkxml PROPERTIES INSTALL_RPATH "$ORIGIN/${velk_tool_to_lib}")
  endif()
endif()
if(TARGET velkxml)
  install(FILES cli/velkxml.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
endif()
install(FILES LICENSE README.md CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT development)
# The examples as a project of their own, built against the installed package.
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT development)

# The CMake package: find_package(velk_xml 1.0) gives velk_xml::velk_xml.
set(velk_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/velk_xml)
install(EXPORT velk_xmlTargets NAMESPACE velk_xml:: DESTINATION ${velk_cmake_dir} COMPONENT development)
configure_package_config_file(package/velk_xmlConfig.cmake.in ${PROJECT_BINARY_DIR}/velk_xmlConfig.cmake
  INSTALL_DESTINATION ${velk_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/velk_xmlConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/velk_xmlConfig.cmake ${PROJECT_BINARY_DIR}/velk_xmlConfigVersion.cmake
        DESTINATION ${velk_cmake_dir} COMPONENT development)

# velk_xml.pc and velk_check.pc find the prefix from their own place,
# <prefix>/<libdir>/pkgconfig (${pcfiledir}/../.. for lib, ../../.. for
# lib/<multiarch>), so that the installed tree works wherever it is moved.
# An absolute CMAKE_INSTALL_LIBDIR says nothing of the prefix, and a
# distribution's package is never moved (VELK_PC_RELOCATABLE OFF, as
# debian/rules sets it): then the .pc names the prefix given at install time
# (cmake --install --prefix, prefix=/usr for a package).
option(VELK_PC_RELOCATABLE "velk_xml.pc finds its prefix from its own place (OFF: names the install prefix)" ON)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR NOT VELK_PC_RELOCATABLE)
  set(velk_pc_up "")
else()
  file(RELATIVE_PATH velk_pc_up /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  string(REGEX REPLACE "/$" "" velk_pc_up "${velk_pc_up}")
endif()
install(CODE "set(velk_pc_templates [[${PROJECT_SOURCE_DIR}/package]])
set(velk_pc_files [[${PROJECT_BINARY_DIR}/package-files]])
set(velk_pc_up [[${velk_pc_up}]])
set(velk_pc_libdir [[${CMAKE_INSTALL_LIBDIR}]])
set(velk_pc_includedir [[${CMAKE_INSTALL_INCLUDEDIR}]])
set(PROJECT_VERSION [[${PROJECT_VERSION}]])" COMPONENT development)
install(CODE [[
if(velk_pc_up)
  set(VELK_PC_PREFIX "\${pcfiledir}/${velk_pc_up}")
else()
  set(VELK_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
endif()
foreach(dir libdir includedir)
  string(TOUPPER ${dir} upper)
  if(IS_ABSOLUTE "${velk_pc_${dir}}")
    set(VELK_PC_${upper} "${velk_pc_${dir}}")
  else()
    set(VELK_PC_${upper} "\${prefix}/${velk_pc_${dir}}")
  endif()
endforeach()
foreach(name velk_xml velk_check)
  configure_file("${velk_pc_templates}/${name}.pc.in" "${velk_pc_files}/${name}.pc" @ONLY)
endforeach()
]] COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/package-files/velk_xml.pc ${PROJECT_BINARY_DIR}/package-files/velk_check.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
