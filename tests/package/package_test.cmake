# The library as its users get it, one way per MODE:
#   files         cmake --install: the file list (the examples in the
#                 documentation folder among them, no empty folder), the
#                 SONAME and its links, no debug sections, the installed tool
#                 and its man page, a .pc that names no folder
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
# emulator (EMULATOR, qemu-user). Everything happens in a new folder under the system's temporary folder,
# which goes when the test ends, passed or failed.
cmake_minimum_required(VERSION 3.18...3.25)

string(REPLACE "@@" ";" EMULATOR "${EMULATOR}")

if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(tmp_root "$ENV{TMPDIR}")
else()
  set(tmp_root /tmp)
endif()
string(RANDOM LENGTH 12 suffix)
set(work "${tmp_root}/velk-package-${suffix}")
file(MAKE_DIRECTORY "${work}")

function(fail text)
  file(REMOVE_RECURSE "${work}")
  message(FATAL_ERROR "${text}")
endfunction()

# run(COMMAND cmd... [OUTPUT var] [DIR folder] [ENV NAME=value...])
# Runs a command; a failure ends the test with the command's output.
function(run)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT;DIR" "COMMAND;ENV")
  if(NOT arg_DIR)
    set(arg_DIR "${work}")
  endif()
  set(command ${arg_COMMAND})
  if(arg_ENV)
    set(command ${CMAKE_COMMAND} -E env ${arg_ENV} ${arg_COMMAND})
  endif()
  execute_process(COMMAND ${command} WORKING_DIRECTORY "${arg_DIR}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " shown "${arg_COMMAND}")
    fail("${shown}\nended with ${status}:\n${out}${err}")
  endif()
  if(arg_OUTPUT)
    string(REPLACE "\r\n" "\n" out "${out}") # Windows programs write CR LF
    set(${arg_OUTPUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

function(expect_equal what actual expected)
  if(NOT actual STREQUAL expected)
    fail("${what}:\n--- expected\n${expected}\n--- actual\n${actual}")
  endif()
endfunction()

# What the two examples print and write for examples/catalog.xml.
set(list_demo_output [[entries: 4
  entry 1 holds 4 data bytes
  entry 2 holds 5 data bytes
  entry 3 holds 5 data bytes
  entry 4 holds 2 data bytes
after moving the last entry first, entry 1 holds 2 bytes
list error text: ""
]])
set(xml_demo_output [[<?xml version="1.0"?>
<catalog owner="Ann & Bob">
  <book id="b1">
    <title>
      "Sea <and> Sky"
    <price>
      "12.50"
  <book id="b2">
    <title>
      "Stone"
    <price>
      "8"
written: changed.xml
]])
# The compact form, with CR LF where the document has line breaks between tags.
set(xml_demo_file [[<?xml version='1.0'?>
<catalog owner="Ann &amp; Bob">
<book id="book-b1"><title>Sea &lt;and&gt; Sky</title><price>12.50</price></book>
<book id="book-b2"><title>Stone</title><price>8</price></book>
</catalog>]])
string(REPLACE "\n" "\r\n" xml_demo_file "${xml_demo_file}")

# run_examples(list_program xml_program [RUNNER emulator...] [ENV NAME=value...])
function(run_examples list_program xml_program)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "RUNNER;ENV")
  file(COPY "${SOURCE_DIR}/examples/catalog.xml" DESTINATION "${work}")
  file(REMOVE "${work}/changed.xml")
  run(COMMAND ${arg_RUNNER} "${list_program}" OUTPUT out ENV ${arg_ENV})
  expect_equal("the list example's output" "${out}" "${list_demo_output}")
  run(COMMAND ${arg_RUNNER} "${xml_program}" catalog.xml changed.xml OUTPUT out ENV ${arg_ENV})
  expect_equal("the XML example's output" "${out}" "${xml_demo_output}")
  # Compared byte for byte: a text read would turn CR LF into LF.
  file(READ "${work}/changed.xml" changed HEX)
  string(HEX "${xml_demo_file}" expected)
  expect_equal("the bytes of the file the XML example wrote" "${changed}" "${expected}")
endfunction()

# The dynamic section of an ELF file, as readelf shows it.
function(elf_dynamic file var)
  run(COMMAND "${READELF}" -d "${file}" OUTPUT out)
  set(${var} "${out}" PARENT_SCOPE)
endfunction()

function(expect_no_debug_sections file)
  run(COMMAND "${READELF}" -S -W "${file}" OUTPUT out)
  if(out MATCHES "\\.debug_")
    fail("${file} carries debug sections:\n${out}")
  endif()
endfunction()

# The library that the loader picks for a program: ldd's answer, or under
# qemu-user (a Linux cross build) that of the target's loader, which lists
# what it loads when the program's environment asks it to, as ldd does.
if(EMULATOR AND NOT ARCH)
  set(list_libraries ${EMULATOR} -E LD_TRACE_LOADED_OBJECTS=1)
else()
  set(list_libraries ldd)
endif()
function(expect_library_from program folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "ENV")
  run(COMMAND ${list_libraries} "${program}" OUTPUT out ENV ${arg_ENV})
  if(out MATCHES "libvelk_xml\\.so\\.1 => ([^ \n]+)")
    get_filename_component(loaded "${CMAKE_MATCH_1}" REALPATH)
    get_filename_component(wanted "${folder}/libvelk_xml.so.1" REALPATH)
  endif()
  if(NOT loaded OR NOT loaded STREQUAL wanted)
    fail("${program} does not load libvelk_xml.so.1 from ${folder}:\n${out}")
  endif()
endfunction()

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

set(warnings -Wall -Wextra -Werror)

if(MODE STREQUAL "files")
  install_package("${prefix}")
  file(GLOB headers RELATIVE "${SOURCE_DIR}/api" "${SOURCE_DIR}/api/*.h")
  set(expected
    ${BINDIR}/velkxml
    ${INCLUDEDIR}/velk_xml_version.h
    ${LIBDIR}/cmake/velk_xml/velk_xmlConfig.cmake
    ${LIBDIR}/cmake/velk_xml/velk_xmlConfigVersion.cmake
    ${LIBDIR}/cmake/velk_xml/velk_xmlTargets.cmake
    ${LIBDIR}/libvelk_xml.so
    ${LIBDIR}/libvelk_xml.so.1
    ${LIBDIR}/libvelk_xml.so.${VERSION}
    ${LIBDIR}/pkgconfig/velk_xml.pc
    ${DOCDIR}/CHANGELOG.md
    ${DOCDIR}/LICENSE
    ${DOCDIR}/README.md
    ${MANDIR}/man1/velkxml.1)
  file(GLOB example_files RELATIVE "${SOURCE_DIR}/examples" "${SOURCE_DIR}/examples/*")
  foreach(file IN LISTS example_files)
    list(APPEND expected ${DOCDIR}/examples/${file})
  endforeach()
  if(BUILD_TYPE)
    string(TOLOWER "${BUILD_TYPE}" config)
    list(APPEND expected ${LIBDIR}/cmake/velk_xml/velk_xmlTargets-${config}.cmake)
  else()
    list(APPEND expected ${LIBDIR}/cmake/velk_xml/velk_xmlTargets-noconfig.cmake)
  endif()
  foreach(header IN LISTS headers)
    list(APPEND expected ${INCLUDEDIR}/${header})
  endforeach()
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

  # libvelk_xml.so -> libvelk_xml.so.1 -> libvelk_xml.so.<version>
  file(READ_SYMLINK "${libdir}/libvelk_xml.so" link)
  expect_equal("libvelk_xml.so points at" "${link}" "libvelk_xml.so.1")
  file(READ_SYMLINK "${libdir}/libvelk_xml.so.1" link)
  expect_equal("libvelk_xml.so.1 points at" "${link}" "libvelk_xml.so.${VERSION}")
  elf_dynamic("${libdir}/libvelk_xml.so.${VERSION}" dynamic)
  if(NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[libvelk_xml\\.so\\.1\\]")
    fail("the library's SONAME is not libvelk_xml.so.1:\n${dynamic}")
  endif()
  if(dynamic MATCHES "R(UN)?PATH")
    fail("the library carries a search path:\n${dynamic}")
  endif()
  expect_no_debug_sections("${libdir}/libvelk_xml.so.${VERSION}")
  expect_no_debug_sections("${prefix}/${BINDIR}/velkxml")

  # The tool finds the library beside it, not in the build tree.
  expect_library_from("${prefix}/${BINDIR}/velkxml" "${libdir}")
  file(COPY "${SOURCE_DIR}/examples/catalog.xml" DESTINATION "${work}")
  run(COMMAND ${EMULATOR} "${prefix}/${BINDIR}/velkxml" check catalog.xml OUTPUT out)
  expect_equal("the installed tool's check" "${out}" "catalog.xml: ok\n")

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
  if(NOT PKG_CONFIG)
    fail("pkg-config was not found when the build was configured")
  endif()
  install_and_move()
  set(pc_env PKG_CONFIG_PATH=${libdir}/pkgconfig)
  run(COMMAND "${PKG_CONFIG}" --modversion velk_xml ENV ${pc_env} OUTPUT out)
  expect_equal("pkg-config --modversion velk_xml" "${out}" "${VERSION}\n")
  foreach(variable prefix libdir includedir)
    run(COMMAND "${PKG_CONFIG}" --variable=${variable} velk_xml ENV ${pc_env} OUTPUT out)
    string(STRIP "${out}" out)
    get_filename_component(out "${out}" REALPATH)
    get_filename_component(wanted "${${variable}}" REALPATH)
    expect_equal("velk_xml.pc's ${variable} after the move" "${out}" "${wanted}")
  endforeach()
  run(COMMAND "${PKG_CONFIG}" --cflags --libs velk_xml ENV ${pc_env} OUTPUT out)
  separate_arguments(flags UNIX_COMMAND "${out}")
  foreach(example demo xml_demo)
    run(COMMAND "${C_COMPILER}" ${warnings} "${examples}/${example}.c" ${flags} -o velk_${example})
    elf_dynamic("${work}/velk_${example}" dynamic)
    if(dynamic MATCHES "R(UN)?PATH")
      fail("velk_${example} carries a search path:\n${dynamic}")
    endif()
  endforeach()
  set(run_env LD_LIBRARY_PATH=${libdir})
  expect_library_from("${work}/velk_demo" "${libdir}" ENV ${run_env})
  run_examples("${work}/velk_demo" "${work}/velk_xml_demo" RUNNER ${EMULATOR} ENV ${run_env})

elseif(MODE STREQUAL "find-package")
  install_and_move()
  string(REPLACE ";" " " c_flags "${warnings}")
  run(COMMAND "${CMAKE_COMMAND}" -S "${examples}" -B "${work}/build" -G "${GENERATOR}"
          "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_PREFIX_PATH=${prefix}" -DCMAKE_BUILD_TYPE=Release
          "-DCMAKE_C_FLAGS=${c_flags}")
  run(COMMAND "${CMAKE_COMMAND}" --build "${work}/build")
  foreach(example demo xml_demo)
    elf_dynamic("${work}/build/velk_${example}" dynamic)
    foreach(tree "${BUILD_DIR}" "${SOURCE_DIR}")
      string(FIND "${dynamic}" "${tree}" at)
      if(NOT at EQUAL -1)
        fail("velk_${example} searches the build tree for libraries:\n${dynamic}")
      endif()
    endforeach()
  endforeach()
  expect_library_from("${work}/build/velk_demo" "${libdir}")
  run_examples("${work}/build/velk_demo" "${work}/build/velk_xml_demo" RUNNER ${EMULATOR})

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
