# Compares the binary interface of the built library with the committed
# description of the released one, or writes that description anew (WRITE).
# Two descriptions: the library's exports (names, symbol versions, types),
# and the public records, as the small library tests/api/abi_records.c
# holds them.
#   ABIDW, ABIDIFF, LIBRARY, RECORDS, DESCRIPTIONS (the folder), SOURCE_DIR,
#   WRITE (optional)
cmake_minimum_required(VERSION 3.18...3.25)

set(pairs "${LIBRARY}|libvelk_xml.abi" "${RECORDS}|records.abi")
set(problems "")
foreach(pair IN LISTS pairs)
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 binary)
  list(GET pair 1 description)
  set(description "${DESCRIPTIONS}/${description}")
  if(WRITE)
    execute_process(COMMAND ${ABIDW} --exported-interfaces-only --no-corpus-path --no-comp-dir-path
                            --no-show-locs "${binary}"
      OUTPUT_VARIABLE text RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "abidw ${binary} failed")
    endif()
    # Source paths of this checkout would make the file differ between checkouts.
    string(REPLACE "${SOURCE_DIR}/" "" text "${text}")
    file(WRITE "${description}" "${text}")
    message("wrote ${description}")
  else()
    # No suppression files of the machine's: the same answer everywhere.
    execute_process(COMMAND ${ABIDIFF} --no-default-suppression "${description}" "${binary}"
      OUTPUT_VARIABLE report ERROR_VARIABLE report RESULT_VARIABLE status)
    # abidiff's status is a set of bits: 1 it failed, 2 it was misused,
    # 4 the interface changed, 8 incompatibly.
    if(NOT status MATCHES "^[0-9]+$")
      message(FATAL_ERROR "abidiff did not run: ${status}")
    endif()
    math(EXPR tool_failed "${status} & 3")
    if(tool_failed)
      message(FATAL_ERROR "abidiff could not compare ${binary} with ${description} (status ${status}):\n${report}")
    elseif(status)
      string(APPEND problems "${binary} against ${description}:\n${report}\n")
    endif()
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}"
    "The binary interface differs from the released one described in ${DESCRIPTIONS}. "
    "If the change is meant, change the version in project(VERSION) on purpose (the "
    "major version, and with it the SONAME libvelk_xml.so.N, for anything that breaks "
    "callers built before), say so in CHANGELOG.md, and write the descriptions anew: "
    "cmake --build --preset native --target abi_descriptions")
endif()
