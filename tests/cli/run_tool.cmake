# Runs velkxml once and checks its exit status and what it printed.
#   TOOL           the tool's path; EMULATOR (optional) runs it (Wine), its
#                  command words separated by "@@"
#   ARGS           the arguments, separated by "@@"
#   STATUS         the exit status expected
#   OUTPUT         (optional) the exact standard output expected
#   NO_OUTPUT      (optional) standard output must be empty
#   ERRORS         (optional) the exact standard error expected
#   ERRORS_MATCH   (optional) a regular expression that standard error must
#                  match
#   NO_ERRORS      (optional) standard error must be empty
#   CONTAINS       (optional) a text that standard output and error must hold
#   INPUT          (optional) a file given as standard input
#   WORKDIR        where the tool runs
#   CREATES        (optional) a file the run must have made; it is removed
#   UNCHANGED      (optional) a file that must hold the same bytes afterwards
#   ENVIRONMENT    (optional) NAME=VALUE settings of the tool's environment,
#                  separated by "@@"
#   EMPTY_FOLDER   (optional) a folder made empty for the run, which must be
#                  empty afterwards; it is removed
cmake_minimum_required(VERSION 3.18...3.25)
include(${CMAKE_CURRENT_LIST_DIR}/wine_lines.cmake)

string(REPLACE "@@" ";" ARGS "${ARGS}")
string(REPLACE "@@" ";" EMULATOR "${EMULATOR}")
string(REPLACE "@@" ";" ENVIRONMENT "${ENVIRONMENT}")
foreach(key OUTPUT ERRORS ERRORS_MATCH CONTAINS)
  if(DEFINED ${key})
    string(REPLACE "@SEMICOLON@" ";" ${key} "${${key}}")
  endif()
endforeach()

if(DEFINED UNCHANGED)
  file(SHA256 "${WORKDIR}/${UNCHANGED}" before)
endif()
if(DEFINED CREATES)
  file(REMOVE "${WORKDIR}/${CREATES}")
endif()
if(DEFINED EMPTY_FOLDER)
  file(REMOVE_RECURSE "${WORKDIR}/${EMPTY_FOLDER}")
  file(MAKE_DIRECTORY "${WORKDIR}/${EMPTY_FOLDER}")
endif()
set(env_args "")
if(ENVIRONMENT)
  set(env_args ${CMAKE_COMMAND} -E env ${ENVIRONMENT})
endif()
set(input_args "")
if(DEFINED INPUT)
  set(input_args INPUT_FILE "${INPUT}")
endif()
foreach(attempt 1 2 3)
  execute_process(COMMAND ${env_args} ${EMULATOR} "${TOOL}" ${ARGS}
    WORKING_DIRECTORY "${WORKDIR}"
    ${input_args}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
  velk_wine_start_failed("${out}${err}" again)
  if(NOT EMULATOR OR NOT again)
    break()
  endif()
endforeach()
# The Windows build writes CR LF line ends; compare lines, not line ends.
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")
if(EMULATOR)
  velk_drop_wine_lines(err)
endif()

set(problems "")
if(NOT status STREQUAL STATUS)
  string(APPEND problems "exit status ${status}, expected ${STATUS}\n")
endif()
if(DEFINED OUTPUT)
  string(REPLACE "\\n" "\n" OUTPUT "${OUTPUT}")
  string(REPLACE "\\t" "\t" OUTPUT "${OUTPUT}")
  if(NOT out STREQUAL OUTPUT)
    string(APPEND problems "output differs; expected:\n${OUTPUT}\n")
  endif()
endif()
if(NO_OUTPUT AND NOT out STREQUAL "")
  string(APPEND problems "standard output should be empty\n")
endif()
if(DEFINED ERRORS)
  string(REPLACE "\\n" "\n" ERRORS "${ERRORS}")
  if(NOT err STREQUAL ERRORS)
    string(APPEND problems "standard error differs; expected:\n${ERRORS}\n")
  endif()
endif()
if(DEFINED ERRORS_MATCH AND NOT err MATCHES "${ERRORS_MATCH}")
  string(APPEND problems "standard error does not match:\n${ERRORS_MATCH}\n")
endif()
if(NO_ERRORS AND NOT err STREQUAL "")
  string(APPEND problems "standard error should be empty\n")
endif()
if(DEFINED CONTAINS)
  string(FIND "${out}${err}" "${CONTAINS}" at)
  if(at EQUAL -1)
    string(APPEND problems "missing the text: ${CONTAINS}\n")
  endif()
endif()
if(DEFINED CREATES)
  if(NOT EXISTS "${WORKDIR}/${CREATES}")
    string(APPEND problems "${CREATES} was not made\n")
  endif()
  file(REMOVE "${WORKDIR}/${CREATES}")
endif()
if(DEFINED UNCHANGED)
  file(SHA256 "${WORKDIR}/${UNCHANGED}" after)
  if(NOT before STREQUAL after)
    string(APPEND problems "${UNCHANGED} was changed\n")
  endif()
endif()

if(DEFINED EMPTY_FOLDER)
  file(GLOB left "${WORKDIR}/${EMPTY_FOLDER}/*")
  if(left)
    string(APPEND problems "left in ${EMPTY_FOLDER}: ${left}\n")
  endif()
  file(REMOVE_RECURSE "${WORKDIR}/${EMPTY_FOLDER}")
endif()

message("velkxml ${ARGS}\n--- output:\n${out}--- errors:\n${err}---")
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
