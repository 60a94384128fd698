# What the tests of the packages share (package_test.cmake, deb_test.cmake):
# a new folder under the system's temporary folder, ${work}, which goes when
# the test ends, passed or failed; running commands; the examples' expected
# output; ELF checks; and the installed examples built and run the two ways
# a caller builds them.
cmake_minimum_required(VERSION 3.18...3.25)

# The emulator of a cross build's programs, its command words joined by "@@".
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

# The library in ${libdir}: libvelk_xml.so -> libvelk_xml.so.1 ->
# libvelk_xml.so.<version>, the SONAME libvelk_xml.so.1, no search path of
# its own, no debug sections.
function(expect_installed_library libdir)
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
endfunction()

# The installed tool loads the library of ${libdir} and checks a document.
function(expect_tool_works tool libdir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "ENV")
  expect_library_from("${tool}" "${libdir}" ENV ${arg_ENV})
  file(COPY "${SOURCE_DIR}/examples/catalog.xml" DESTINATION "${work}")
  run(COMMAND ${EMULATOR} "${tool}" check catalog.xml OUTPUT out ENV ${arg_ENV})
  expect_equal("the installed tool's check" "${out}" "catalog.xml: ok\n")
endfunction()

# What a developer's install holds, the paths relative to the tree: the
# headers in ${include}; the link libvelk_xml.so, velk_xml.pc and the CMake
# package in ${lib}; the examples in ${doc}/examples.
function(development_files var include lib doc)
  string(TOLOWER "${BUILD_TYPE}" config)
  if(NOT config)
    set(config noconfig)
  endif()
  set(files
    ${include}/velk_xml_version.h
    ${lib}/libvelk_xml.so
    ${lib}/pkgconfig/velk_xml.pc
    ${lib}/cmake/velk_xml/velk_xmlConfig.cmake
    ${lib}/cmake/velk_xml/velk_xmlConfigVersion.cmake
    ${lib}/cmake/velk_xml/velk_xmlTargets.cmake
    ${lib}/cmake/velk_xml/velk_xmlTargets-${config}.cmake)
  file(GLOB headers RELATIVE "${SOURCE_DIR}/api" "${SOURCE_DIR}/api/*.h")
  foreach(header IN LISTS headers)
    list(APPEND files ${include}/${header})
  endforeach()
  file(GLOB example_files RELATIVE "${SOURCE_DIR}/examples" "${SOURCE_DIR}/examples/*")
  foreach(file IN LISTS example_files)
    list(APPEND files ${doc}/examples/${file})
  endforeach()
  set(${var} ${files} PARENT_SCOPE)
endfunction()

set(warnings -Wall -Wextra -Werror)

# The installed examples compiled with pkg-config's flags from velk_xml.pc in
# ${libdir}/pkgconfig, with no rpath, and run with the library of ${libdir}.
# The .pc must name ${prefix}, ${libdir} and ${includedir}, wherever the tree
# was installed.
function(examples_with_pkg_config)
  if(NOT PKG_CONFIG)
    fail("pkg-config was not found when the build was configured")
  endif()
  set(pc_env PKG_CONFIG_PATH=${libdir}/pkgconfig)
  run(COMMAND "${PKG_CONFIG}" --modversion velk_xml ENV ${pc_env} OUTPUT out)
  expect_equal("pkg-config --modversion velk_xml" "${out}" "${VERSION}\n")
  foreach(variable prefix libdir includedir)
    run(COMMAND "${PKG_CONFIG}" --variable=${variable} velk_xml ENV ${pc_env} OUTPUT out)
    string(STRIP "${out}" out)
    get_filename_component(out "${out}" REALPATH)
    get_filename_component(wanted "${${variable}}" REALPATH)
    expect_equal("velk_xml.pc's ${variable}" "${out}" "${wanted}")
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
endfunction()

# The installed examples built as a CMake project with find_package(velk_xml)
# and ${prefix} as the prefix to search, and run: they load the library of
# ${libdir}, and search neither the build tree nor the sources.
function(examples_with_find_package)
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
endfunction()
