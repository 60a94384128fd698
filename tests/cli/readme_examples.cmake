# Runs every "$ velkxml ..." line of the README's console blocks and checks
# that the tool prints exactly the lines shown below it.
#   TOOL, EMULATOR (optional, its command words separated by "@@"), README, WORKDIR
cmake_minimum_required(VERSION 3.25)

string(REPLACE "@@" ";" EMULATOR "${EMULATOR}")

# Lines as a CMake list: ";" and brackets would split or join list items, so
# they travel as placeholders until a line is used.
file(READ "${README}" text)
string(REPLACE ";" "@SEMICOLON@" text "${text}")
string(REPLACE "[" "@OPEN@" text "${text}")
string(REPLACE "]" "@CLOSE@" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(in_block FALSE)
set(command "")
set(expected "")
set(count 0)
set(problems "")

function(run_example command expected)
  separate_arguments(args UNIX_COMMAND "${command}")
  list(REMOVE_AT args 0) # "velkxml"
  execute_process(COMMAND ${EMULATOR} "${TOOL}" ${args}
    WORKING_DIRECTORY "${WORKDIR}" OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REPLACE "\r\n" "\n" out "${out}")
  if(NOT out STREQUAL expected)
    set(problems "${problems}$ ${command}\n--- the README shows:\n${expected}--- the tool printed:\n${out}\n" PARENT_SCOPE)
  endif()
endfunction()

foreach(line IN LISTS lines)
  string(REPLACE "@SEMICOLON@" ";" line "${line}")
  string(REPLACE "@OPEN@" "[" line "${line}")
  string(REPLACE "@CLOSE@" "]" line "${line}")
  if(line MATCHES "^```console")
    set(in_block TRUE)
  elseif(in_block AND line MATCHES "^```")
    if(command)
      run_example("${command}" "${expected}")
    endif()
    set(in_block FALSE)
    set(command "")
  elseif(in_block AND line MATCHES "^\\$ (velkxml.*)")
    if(command)
      run_example("${command}" "${expected}")
    endif()
    set(command "${CMAKE_MATCH_1}")
    set(expected "")
    math(EXPR count "${count} + 1")
  elseif(in_block AND command)
    string(APPEND expected "${line}\n")
  endif()
endforeach()

message("${count} README examples run")
if(count EQUAL 0)
  message(FATAL_ERROR "no examples found in ${README}")
endif()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
