# The library as its users get it, one way per MODE:
#   files         cmake --install: the file list (the examples in the
#                 documentation folder among them, no empty folder), the
#                 SONAME and its links, no debug sections, the installed tool
#                 (without a search path when TOOL_RPATH is off) and its man
#                 page, a .pc that names no folder
#   pkg-config    the installed tree moved elsewhere, and the installed
#                 examples compiled with pkg-config's flags from there, run
#                 without any rpath
#   find-package  the installed tree moved elsewhere, and the installed
#                 examples built there as a CMake project with
#                 find_package(velk_xml)
#   zip           the Windows ZIP: its contents, the examples compiled with
#                 the mingw compiler against the packaged header and import
#                 library, run under Wine (EMULATOR, its command words
#                 separated by "@@") with the packaged DLL of ARCH (x86, x64);
#                 the files of x64/ too when X64_BUILD, the 64-bit build that
#                 the 32-bit ZIP takes them from, has made its DLL
# In a Linux cross build, the programs of the first three run under its
# emulator (EMULATOR, qemu-user). Everything happens in a new folder under
# the system's temporary folder, which goes when the test ends, passed or
# failed.
cmake_minimum_required(VERSION 3.18...3.25)

include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

function(install_package prefix)
  run(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
endfunction()

set(prefix "${work}/prefix")
set(libdir "${prefix}/${LIBDIR}")
set(includedir "${prefix}/${INCLUDEDIR}")
set(examples "${prefix}/${DOCDIR}/examples")

# Installs into a folder of its own and moves the tree to ${prefix}: what is
# used afterwards must not name the folder it was installed into.
function(install_and_move)
  set(installed "${work}/installed")
  install_package("${installed}")
  file(RENAME "${installed}" "${prefix}")
endfunction()

if(MODE STREQUAL "files")
  install_package("${prefix}")
  development_files(expected ${INCLUDEDIR} ${LIBDIR} ${DOCDIR})
  list(APPEND expected
    ${BINDIR}/velkxml
    ${LIBDIR}/libvelk_xml.so.1
    ${LIBDIR}/libvelk_xml.so.${VERSION}
    ${DOCDIR}/CHANGELOG.md
    ${DOCDIR}/LICENSE
    ${DOCDIR}/README.md
    ${MANDIR}/man1/velkxml.1)
  list(SORT expected)
  file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
  list(SORT installed)
  string(REPLACE ";" "\n" expected_text "${expected}")
  string(REPLACE ";" "\n" installed_text "${installed}")
  expect_equal("the installed files" "${installed_text}" "${expected_text}")
  file(GLOB_RECURSE folders LIST_DIRECTORIES true "${prefix}/*")
  foreach(folder IN LISTS folders)
    file(GLOB inside "${folder}/*")
    if(IS_DIRECTORY "${folder}" AND NOT inside)
      fail("an empty folder was installed: ${folder}")
    endif()
  endforeach()

  expect_installed_library("${libdir}")
  expect_no_debug_sections("${prefix}/${BINDIR}/velkxml")

  # The tool finds the library beside it, not in the build tree; where the
  # library's folder is one the system searches (TOOL_RPATH off), the tool
  # has no search path and is shown the library with LD_LIBRARY_PATH.
  set(tool_env "")
  if(NOT TOOL_RPATH)
    elf_dynamic("${prefix}/${BINDIR}/velkxml" dynamic)
    if(dynamic MATCHES "R(UN)?PATH")
      fail("the tool carries a search path into a folder the system searches:\n${dynamic}")
    endif()
    set(tool_env LD_LIBRARY_PATH=${libdir})
  endif()
  expect_tool_works("${prefix}/${BINDIR}/velkxml" "${libdir}" ENV ${tool_env})

  file(STRINGS "${prefix}/${MANDIR}/man1/velkxml.1" title LIMIT_COUNT 1)
  if(NOT title MATCHES "^\\.TH VELKXML 1 ")
    fail("velkxml.1 is no man page: ${title}")
  endif()
  # The .pc names no folder: it finds the prefix from its own place.
  file(READ "${libdir}/pkgconfig/velk_xml.pc" pc)
  if(pc MATCHES "=/")
    fail("velk_xml.pc names an absolute folder:\n${pc}")
  endif()

elseif(MODE STREQUAL "pkg-config")
  install_and_move()
  examples_with_pkg_config()

elseif(MODE STREQUAL "find-package")
  install_and_move()
  examples_with_find_package()

elseif(MODE STREQUAL "zip")
  run(COMMAND "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${work}/cpack")
  set(name VELK_XML-${VERSION}-windows)
  set(zip "${work}/cpack/${name}.zip")
  if(NOT EXISTS "${zip}")
    fail("cpack made no ${name}.zip")
  endif()
  file(GLOB headers RELATIVE "${SOURCE_DIR}/api" "${SOURCE_DIR}/api/*.h")
  set(expected
    ${name}/CHANGELOG.md
    ${name}/LICENSE.txt
    ${name}/README.txt
    ${name}/include/velk_xml_version.h
    ${name}/${ARCH}/VELK_XML.def
    ${name}/${ARCH}/VELK_XML.dll
    ${name}/${ARCH}/VELK_XML.dll.a
    ${name}/${ARCH}/velkxml.exe)
  if(X64_BUILD AND EXISTS "${X64_BUILD}/bin/VELK_XML.dll")
    list(APPEND expected ${name}/x64/VELK_XML.def ${name}/x64/VELK_XML.dll ${name}/x64/VELK_XML.dll.a
                         ${name}/x64/velkxml.exe)
  endif()
  foreach(header IN LISTS headers)
    list(APPEND expected ${name}/include/${header})
  endforeach()
  list(SORT expected)
  run(COMMAND "${CMAKE_COMMAND}" -E tar tf "${zip}" OUTPUT listing)
  string(REGEX REPLACE "\n$" "" listing "${listing}")
  string(REPLACE "\n" ";" entries "${listing}")
  list(FILTER entries EXCLUDE REGEX "/$") # folders
  list(SORT entries)
  string(REPLACE ";" "\n" expected_text "${expected}")
  string(REPLACE ";" "\n" entries_text "${entries}")
  expect_equal("the ZIP's files" "${entries_text}" "${expected_text}")

  run(COMMAND "${CMAKE_COMMAND}" -E tar xf "${zip}")
  set(package "${work}/${name}")
  # Programs of a caller: the packaged header and import library, and the
  # DLL found beside the program.
  foreach(example demo xml_demo)
    run(COMMAND "${C_COMPILER}" ${warnings} "-I${package}/include" "${SOURCE_DIR}/examples/${example}.c"
            "${package}/${ARCH}/VELK_XML.dll.a" -loleaut32 -o "${package}/${ARCH}/velk_${example}.exe")
  endforeach()
  run_examples("${package}/${ARCH}/velk_demo.exe" "${package}/${ARCH}/velk_xml_demo.exe" RUNNER ${EMULATOR})
  run(COMMAND ${EMULATOR} "${package}/${ARCH}/velkxml.exe" check catalog.xml OUTPUT out)
  expect_equal("the packaged tool's check" "${out}" "catalog.xml: ok\n")

else()
  fail("unknown MODE '${MODE}'")
endif()

file(REMOVE_RECURSE "${work}")
