# Runs velkxml once or more and checks each run's exit status and what it
# printed.
#   TOOL           the tool's path; EMULATOR (optional) runs it (Wine), its
#                  command words separated by "@@"
#   WORKDIR        where the tool runs
#   RUNS           how many runs; the settings below are given for each run
#                  N from 1 to RUNS, their names ending in _N (STATUS_1, ...),
#                  with ";", "[" and "]" as @SEMICOLON@, @OPEN@ and @CLOSE@
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
#   CREATES        (optional) a file the run must have made; it is removed
#   UNCHANGED      (optional) a file that must hold the same bytes afterwards
#   ENVIRONMENT    (optional) NAME=VALUE settings of the tool's environment,
#                  separated by "@@"
#   EMPTY_FOLDER   (optional) a folder made empty for the run, which must be
#                  empty afterwards; it is removed
cmake_minimum_required(VERSION 3.18...3.25)
include(${CMAKE_CURRENT_LIST_DIR}/wine_lines.cmake)

string(REPLACE "@@" ";" EMULATOR "${EMULATOR}")

# Run n, with its settings under their plain names; what went wrong is
# added to the caller's problems.
function(run_tool n)
  foreach(key ARGS STATUS OUTPUT NO_OUTPUT ERRORS ERRORS_MATCH NO_ERRORS CONTAINS INPUT CREATES UNCHANGED
      ENVIRONMENT EMPTY_FOLDER)
    if(DEFINED ${key}_${n})
      string(REPLACE "@SEMICOLON@" ";" value "${${key}_${n}}")
      string(REPLACE "@OPEN@" "[" value "${value}")
      string(REPLACE "@CLOSE@" "]" ${key} "${value}")
    endif()
  endforeach()
  string(REPLACE "@@" ";" ARGS "${ARGS}")
  string(REPLACE "@@" ";" ENVIRONMENT "${ENVIRONMENT}")

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

  set(found "")
  if(NOT status STREQUAL STATUS)
    string(APPEND found "exit status ${status}, expected ${STATUS}\n")
  endif()
  if(DEFINED OUTPUT)
    string(REPLACE "\\n" "\n" OUTPUT "${OUTPUT}")
    string(REPLACE "\\t" "\t" OUTPUT "${OUTPUT}")
    if(NOT out STREQUAL OUTPUT)
      string(APPEND found "output differs; expected:\n${OUTPUT}\n")
    endif()
  endif()
  if(NO_OUTPUT AND NOT out STREQUAL "")
    string(APPEND found "standard output should be empty\n")
  endif()
  if(DEFINED ERRORS)
    string(REPLACE "\\n" "\n" ERRORS "${ERRORS}")
    if(NOT err STREQUAL ERRORS)
      string(APPEND found "standard error differs; expected:\n${ERRORS}\n")
    endif()
  endif()
  if(DEFINED ERRORS_MATCH AND NOT err MATCHES "${ERRORS_MATCH}")
    string(APPEND found "standard error does not match:\n${ERRORS_MATCH}\n")
  endif()
  if(NO_ERRORS AND NOT err STREQUAL "")
    string(APPEND found "standard error should be empty\n")
  endif()
  if(DEFINED CONTAINS)
    string(FIND "${out}${err}" "${CONTAINS}" at)
    if(at EQUAL -1)
      string(APPEND found "missing the text: ${CONTAINS}\n")
    endif()
  endif()
  if(DEFINED CREATES)
    if(NOT EXISTS "${WORKDIR}/${CREATES}")
      string(APPEND found "${CREATES} was not made\n")
    endif()
    file(REMOVE "${WORKDIR}/${CREATES}")
  endif()
  if(DEFINED UNCHANGED)
    file(SHA256 "${WORKDIR}/${UNCHANGED}" after)
    if(NOT before STREQUAL after)
      string(APPEND found "${UNCHANGED} was changed\n")
    endif()
  endif()

  if(DEFINED EMPTY_FOLDER)
    file(GLOB left "${WORKDIR}/${EMPTY_FOLDER}/*")
    if(left)
      string(APPEND found "left in ${EMPTY_FOLDER}: ${left}\n")
    endif()
    file(REMOVE_RECURSE "${WORKDIR}/${EMPTY_FOLDER}")
  endif()

  message("velkxml ${ARGS}\n--- output:\n${out}--- errors:\n${err}---")
  if(found)
    set(problems "${problems}velkxml ${ARGS}:\n${found}" PARENT_SCOPE)
  endif()
endfunction()

set(problems "")
foreach(n RANGE 1 ${RUNS})
  run_tool(${n})
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
