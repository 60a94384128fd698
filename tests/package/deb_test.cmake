# The Debian packages of a VELK_DEB build (package/debian.cmake), as cpack
# makes them from the build, one way per MODE:
#   contents  the three package files; each package's control fields, the
#             dependencies on the library package of exactly this version,
#             the library package's shlibs file and ldconfig trigger and no
#             maintainer scripts; each package's files, all root's; the
#             documentation files (gzip files with no name or time in them,
#             the Debian changelog of this version, the copyright file
#             holding LICENSE); then the three unpacked into one tree: the
#             library's SONAME and links, no search path or debug sections
#             and immediate binding in the library and the tool, the -dev
#             package's examples built against the tree with pkg-config and
#             with find_package and run, and the unpacked tool run
#   lintian   lintian on the three packages: no error (its report is shown)
# Everything happens in a new folder under the system's temporary folder,
# which goes when the test ends, passed or failed.
cmake_minimum_required(VERSION 3.18...3.25)

include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

string(REGEX MATCH "^[0-9]+" major "${VERSION}")
set(library libvelk-xml${major})
set(development libvelk-xml-dev)
set(tool velkxml)
set(packages ${library} ${development} ${tool})

# <package>_<version>-<revision>_<architecture>.deb, one per package.
run(COMMAND "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${work}/cpack")
file(GLOB made RELATIVE "${work}/cpack" "${work}/cpack/*.deb")
string(REPLACE "." "\\." version_pattern "${VERSION}")
foreach(file IN LISTS made)
  if(file MATCHES "^${library}_(${version_pattern}-[^_]+)_([^_]+)\\.deb$")
    set(deb_version "${CMAKE_MATCH_1}")
    set(arch "${CMAKE_MATCH_2}")
  endif()
endforeach()
if(NOT deb_version)
  fail("cpack made no ${library} package of version ${VERSION}-<revision>: ${made}")
endif()
set(expected "")
set(debs "")
foreach(package IN LISTS packages)
  list(APPEND expected ${package}_${deb_version}_${arch}.deb)
  set(deb_${package} "${work}/cpack/${package}_${deb_version}_${arch}.deb")
  list(APPEND debs "${deb_${package}}")
endforeach()
list(SORT expected)
list(SORT made)
expect_equal("the packages cpack made" "${made}" "${expected}")

if(MODE STREQUAL "lintian")
  run(COMMAND "${LINTIAN}" --fail-on error --tag-display-limit 0 ${debs} OUTPUT report)
  string(REPLACE ";" ", " names "${expected}")
  message(STATUS "lintian's report on ${names}:\n${report}")

elseif(MODE STREQUAL "contents")
  # The control fields, as dpkg-deb reads them.
  set(section_${library} libs)
  set(section_${development} libdevel)
  set(section_${tool} text)
  set(multi_arch_${library} same)
  set(multi_arch_${development} same)
  set(multi_arch_${tool} foreign)
  foreach(package IN LISTS packages)
    run(COMMAND "${DPKG_DEB}" -f "${deb_${package}}" Package Source Version Architecture Multi-Arch Section
        OUTPUT fields)
    expect_equal("${package}'s control fields" "${fields}" "Package: ${package}
Source: velk-xml
Version: ${deb_version}
Architecture: ${arch}
Multi-Arch: ${multi_arch_${package}}
Section: ${section_${package}}
")
    run(COMMAND "${DPKG_DEB}" -f "${deb_${package}}" Depends OUTPUT depends_${package})
  endforeach()
  # Programs and libraries depend on what dpkg-shlibdeps found (libc6 among
  # it); the packages of the build on the library of exactly this version.
  set(exact "${library} (= ${deb_version})")
  expect_equal("${development}'s Depends" "${depends_${development}}" "${exact}\n")
  foreach(package ${library} ${tool})
    if(NOT depends_${package} MATCHES "(^|, )libc6 \\(>= [^)]+\\)")
      fail("${package} does not depend on libc6 as dpkg-shlibdeps finds it: ${depends_${package}}")
    endif()
  endforeach()
  string(FIND "${depends_${tool}}" "${exact}, " at)
  if(NOT at EQUAL 0)
    fail("${tool} does not depend on ${exact}: ${depends_${tool}}")
  endif()

  # The control files: the library package's shlibs file and its ldconfig
  # trigger, which stands for maintainer scripts.
  file(MAKE_DIRECTORY "${work}/control")
  foreach(package IN LISTS packages)
    run(COMMAND "${DPKG_DEB}" -e "${deb_${package}}" "${work}/control/${package}")
    file(GLOB control RELATIVE "${work}/control/${package}" "${work}/control/${package}/*")
    list(SORT control)
    set(wanted control md5sums)
    if(package STREQUAL library)
      list(APPEND wanted shlibs triggers)
    endif()
    expect_equal("${package}'s control files" "${control}" "${wanted}")
  endforeach()
  file(READ "${work}/control/${library}/shlibs" shlibs)
  expect_equal("${library}'s shlibs" "${shlibs}" "libvelk_xml ${major} ${library} (>= ${deb_version})\n")
  file(READ "${work}/control/${library}/triggers" triggers)
  expect_equal("${library}'s triggers" "${triggers}" "activate-noawait ldconfig\n")

  # The files of each package, all owned by root.
  set(lib usr/${LIBDIR})
  foreach(package IN LISTS packages)
    set(doc_${package} usr/${DATAROOTDIR}/doc/${package})
    set(files_${package} ${doc_${package}}/changelog.Debian.gz ${doc_${package}}/changelog.gz
                         ${doc_${package}}/copyright)
  endforeach()
  list(APPEND files_${library} ${lib}/libvelk_xml.so.${major} ${lib}/libvelk_xml.so.${VERSION})
  list(APPEND files_${tool} usr/${BINDIR}/velkxml usr/${MANDIR}/man1/velkxml.1.gz)
  development_files(dev_files usr/${INCLUDEDIR} ${lib} ${doc_${development}})
  list(APPEND files_${development} ${dev_files} ${doc_${development}}/README.md)
  foreach(package IN LISTS packages)
    run(COMMAND "${DPKG_DEB}" -c "${deb_${package}}" OUTPUT listing)
    string(REGEX REPLACE "\n$" "" listing "${listing}")
    string(REPLACE "\n" ";" lines "${listing}")
    set(files "")
    foreach(line IN LISTS lines)
      # mode owner/group size date time ./path [-> target]
      if(NOT line MATCHES "^[^ ]+ ([^ ]+) +[0-9]+ [^ ]+ [^ ]+ \\./([^ ]*)( -> [^ ]+)?$")
        fail("dpkg-deb -c ${package}: a line not understood: ${line}")
      endif()
      set(owner "${CMAKE_MATCH_1}")
      set(path "${CMAKE_MATCH_2}")
      if(NOT owner STREQUAL "root/root")
        fail("${package} has a file owned by ${owner}: ${line}")
      endif()
      if(NOT path STREQUAL "" AND NOT path MATCHES "/$")
        list(APPEND files "${path}")
      endif()
    endforeach()
    list(SORT files)
    list(SORT files_${package})
    string(REPLACE ";" "\n" files "${files}")
    string(REPLACE ";" "\n" wanted "${files_${package}}")
    expect_equal("${package}'s files" "${files}" "${wanted}")
  endforeach()

  # The three packages as one installed tree.
  set(root "${work}/root")
  foreach(package IN LISTS packages)
    run(COMMAND "${DPKG_DEB}" -x "${deb_${package}}" "${root}")
  endforeach()
  set(prefix "${root}/usr")
  set(libdir "${root}/${lib}")
  set(includedir "${prefix}/${INCLUDEDIR}")
  set(examples "${root}/${doc_${development}}/examples")

  # gzip -9n: no file name, no time, the best compression.
  foreach(package IN LISTS packages)
    foreach(file IN LISTS files_${package})
      if(file MATCHES "\\.gz$")
        file(READ "${root}/${file}" head LIMIT 9 HEX)
        expect_equal("the gzip header of ${file}" "${head}" "1f8b08000000000002")
      endif()
    endforeach()
  endforeach()
  run(COMMAND "${GZIP}" -dc "${root}/${doc_${library}}/changelog.Debian.gz" OUTPUT changelog)
  if(NOT changelog MATCHES "^velk-xml \\(${deb_version}\\) ")
    fail("the Debian changelog's newest entry is not for ${deb_version}:\n${changelog}")
  endif()
  run(COMMAND "${GZIP}" -dc "${root}/usr/${MANDIR}/man1/velkxml.1.gz" OUTPUT man)
  if(NOT man MATCHES "^\\.TH VELKXML 1 ")
    fail("velkxml.1.gz holds no man page:\n${man}")
  endif()

  # The copyright file: machine-readable, its license text LICENSE's.
  file(READ "${root}/${doc_${library}}/copyright" copyright)
  foreach(package ${development} ${tool})
    file(READ "${root}/${doc_${package}}/copyright" other)
    expect_equal("${package}'s copyright file" "${other}" "${copyright}")
  endforeach()
  if(NOT copyright MATCHES "^Format: https://www\\.debian\\.org/doc/packaging-manuals/copyright-format/1\\.0/\n.*\nFiles: \\*\nCopyright: ([^\n]+)\nLicense: Expat\n(.*)$")
    fail("the copyright file is not in the machine-readable form:\n${copyright}")
  endif()
  set(holder "${CMAKE_MATCH_1}")
  set(text "\n${CMAKE_MATCH_2}")
  string(REPLACE "\n .\n" "\n\n" text "${text}")
  string(REPLACE "\n " "\n" text "${text}")
  string(STRIP "${text}" text)
  file(READ "${SOURCE_DIR}/LICENSE" license)
  string(FIND "${license}" "\nCopyright (c) ${holder}\n" at)
  if(at EQUAL -1)
    fail("LICENSE names another copyright holder than the copyright file's ${holder}")
  endif()
  string(REGEX REPLACE "^.*\nCopyright \\(c\\) [^\n]+\n" "" license "${license}")
  string(STRIP "${license}" license)
  expect_equal("the copyright file's license text" "${text}" "${license}")

  # The library and the tool: linked as the hardening flags ask, stripped,
  # with no search path of their own.
  expect_installed_library("${libdir}")
  set(tool_file "${root}/usr/${BINDIR}/velkxml")
  foreach(file "${libdir}/libvelk_xml.so.${VERSION}" "${tool_file}")
    elf_dynamic("${file}" dynamic)
    if(dynamic MATCHES "R(UN)?PATH" OR NOT dynamic MATCHES "BIND_NOW")
      fail("${file} has a search path or binds lazily:\n${dynamic}")
    endif()
  endforeach()
  expect_no_debug_sections("${tool_file}")

  examples_with_pkg_config()
  examples_with_find_package()
  expect_tool_works("${tool_file}" "${libdir}" ENV LD_LIBRARY_PATH=${libdir})

else()
  fail("unknown MODE '${MODE}'")
endif()

file(REMOVE_RECURSE "${work}")
