# The Debian packages of a VELK_DEB build (package/debian.cmake), as cpack
# makes them from the build, one way per MODE:
#   contents  each package's files; the dependencies on the library package
#             of exactly this version; then the three unpacked into one
#             tree: the library as callers find it, the -dev package's
#             examples built against the tree with pkg-config and with
#             find_package and run, and the unpacked tool run
#   lintian   lintian on the three packages: no error (its report is shown);
#             it also holds the control files, owners, copyright and
#             changelogs to Debian's rules
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
  # The packages of the build depend on the library of exactly this version.
  set(exact "${library} (= ${deb_version})")
  run(COMMAND "${DPKG_DEB}" -f "${deb_${development}}" Depends OUTPUT depends)
  expect_equal("${development}'s Depends" "${depends}" "${exact}\n")
  run(COMMAND "${DPKG_DEB}" -f "${deb_${tool}}" Depends OUTPUT depends)
  string(FIND "${depends}" "${exact}, " at)
  if(NOT at EQUAL 0)
    fail("${tool} does not depend on ${exact} first: ${depends}")
  endif()

  # The files of each package, each unpacked alone.
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
    run(COMMAND "${DPKG_DEB}" -x "${deb_${package}}" "${work}/${package}")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${work}/${package}" "${work}/${package}/*")
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
  expect_installed_library("${libdir}")
  expect_no_debug_sections("${prefix}/${BINDIR}/velkxml")
  examples_with_pkg_config()
  examples_with_find_package()
  expect_tool_works("${prefix}/${BINDIR}/velkxml" "${libdir}" ENV LD_LIBRARY_PATH=${libdir})

else()
  fail("unknown MODE '${MODE}'")
endif()

file(REMOVE_RECURSE "${work}")
