# Compiles what a caller writes against the public headers, as C and as C++,
# with every warning an error: the README's C blocks, examples/demo.c, and a
# caller that passes oleaut32's (or the library's) counted strings to the
# exports and binds them through the header's function-pointer types. On
# Windows no cast may be needed between SysAllocStringByteLen and the exports.
# A caller that mixes up C texts and counted strings must be refused, and so
# must velk_strings.h compiled as C++ older than C++17 or as C, with a message.
#   CC, CXX, README, DEMO, CALLER, MISTAKEN, INCLUDES (a "|"-separated list),
#   WORKDIR
cmake_minimum_required(VERSION 3.18...3.25)

string(REPLACE "|" ";" includes "${INCLUDES}")
set(include_flags "")
foreach(dir IN LISTS includes)
  list(APPEND include_flags "-I${dir}")
endforeach()
set(warnings -Wall -Wextra -Werror)
file(MAKE_DIRECTORY "${WORKDIR}")

# The README's ```c blocks, each as the body of a function. ";" would split
# the list of matches, so it travels as a placeholder.
file(READ "${README}" text)
string(REPLACE ";" "@SEMICOLON@" text "${text}")
string(REGEX MATCHALL "```c\n[^`]*```" blocks "${text}")
list(LENGTH blocks block_count)
if(block_count EQUAL 0)
  message(FATAL_ERROR "no C blocks found in ${README}")
endif()
set(readme_c "/* The C blocks of the README, each as the body of a function. */\n")
string(APPEND readme_c "#include <stdio.h>\n#include <string.h>\n")
string(APPEND readme_c "#if defined(_WIN32)\n#include <windows.h>\n#include <oleauto.h>\n#endif\n")
string(APPEND readme_c "#include \"velk_xml.h\"\n\n")
set(n 0)
foreach(block IN LISTS blocks)
  math(EXPR n "${n} + 1")
  string(REGEX REPLACE "^```c\n" "" block "${block}")
  string(REGEX REPLACE "```$" "" block "${block}")
  string(REPLACE "@SEMICOLON@" ";" block "${block}")
  string(APPEND readme_c "int readme_block_${n}(void);\nint readme_block_${n}(void) {\n${block}    return 0;\n}\n\n")
endforeach()
string(APPEND readme_c "int main(void) { return 0; }\n")
file(WRITE "${WORKDIR}/readme_blocks.c" "${readme_c}")

set(problems "")
function(compile what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    string(REPLACE ";" " " command "${ARGN}")
    set(problems "${problems}--- ${what}: ${command}\n${out}\n" PARENT_SCOPE)
  endif()
endfunction()

foreach(source IN ITEMS "${WORKDIR}/readme_blocks.c" "${DEMO}" "${CALLER}" "${MISTAKEN}")
  get_filename_component(name "${source}" NAME)
  compile("${name} as C99" ${CC} -std=c99 ${warnings} ${include_flags} -fsyntax-only "${source}")
  compile("${name} as C++" ${CXX} -x c++ -std=c++17 ${warnings} ${include_flags} -fsyntax-only "${source}")
endforeach()
# The mistaken caller, compiled above as written correctly, is refused with
# each of its mistakes.
get_filename_component(name "${MISTAKEN}" NAME)
function(refuse what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(NOT failed)
    string(REPLACE ";" " " command "${ARGN}")
    set(problems "${problems}--- ${what} compiled, but must be refused: ${command}\n" PARENT_SCOPE)
  endif()
endfunction()
foreach(mistake 1 2)
  refuse("${name} with mistake ${mistake} as C99" ${CC} -std=c99 ${warnings} ${include_flags}
    -DMISTAKE=${mistake} -fsyntax-only "${MISTAKEN}")
  refuse("${name} with mistake ${mistake} as C++" ${CXX} -x c++ -std=c++17 ${warnings} ${include_flags}
    -DMISTAKE=${mistake} -fsyntax-only "${MISTAKEN}")
endforeach()
# The headers alone are C89.
file(WRITE "${WORKDIR}/headers_c89.c"
  "#include \"velk_xml.h\"\n#include \"velk_records.h\"\nint main(void) { return VELK_NODE_ELEMENT; }\n")
compile("headers as C89" ${CC} -std=c89 -pedantic-errors ${warnings} ${include_flags} -fsyntax-only
  "${WORKDIR}/headers_c89.c")
# velk_strings.h is C++17, and says so to a caller that compiles it as older
# C++ or as C.
function(refuse_saying what text)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(FIND "${out}" "${text}" at)
  if(NOT failed OR at EQUAL -1)
    string(REPLACE ";" " " command "${ARGN}")
    set(problems "${problems}--- ${what} must be refused with \"${text}\": ${command}\n${out}\n" PARENT_SCOPE)
  endif()
endfunction()
file(WRITE "${WORKDIR}/strings_caller.cpp" "#include \"velk_strings.h\"\nint main() { return 0; }\n")
compile("velk_strings.h as C++17" ${CXX} -x c++ -std=c++17 ${warnings} ${include_flags} -fsyntax-only
  "${WORKDIR}/strings_caller.cpp")
refuse_saying("velk_strings.h as C++14" "velk_strings.h needs C++17 or later" ${CXX} -x c++ -std=c++14
  ${include_flags} -fsyntax-only "${WORKDIR}/strings_caller.cpp")
refuse_saying("velk_strings.h as C" "velk_strings.h is for C++" ${CC} -x c -std=c99
  ${include_flags} -fsyntax-only "${WORKDIR}/strings_caller.cpp")

if(problems)
  message(FATAL_ERROR "${problems}")
endif()
message("${n} README blocks, demo.c and the caller compiled as C and C++; the mistaken caller refused; "
        "velk_strings.h refused as C++14 and C")
