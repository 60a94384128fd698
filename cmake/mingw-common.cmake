# What the two mingw-w64 toolchain files share: the "-posix" drivers of the
# triple VELK_MINGW_TRIPLE, the runtime linked in, and Wine as the emulator of
# the test programs when it is on PATH (building needs no Wine).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${VELK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ and GCC runtimes (and winpthreads) are linked in, so that the DLL
# and the test programs import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(WINE_PROGRAM wine NO_CMAKE_PATH NO_CMAKE_ENVIRONMENT_PATH NO_CMAKE_SYSTEM_PATH)

# The DLL is linked with the runtime of the "-win32" thread model, which uses
# the system's threads directly, instead of the "-posix" one, whose threads
# library takes a TLS slot on every load of the DLL and never gives it back
# (a host that loads and unloads the DLL in a loop would run out of slots).
# The tests and the tool keep the "-posix" runtime: they use std::thread.
# The code is compiled against the "-posix" headers, so both runtimes must
# come from one compiler version.
execute_process(COMMAND ${VELK_MINGW_TRIPLE}-g++-win32 -print-libgcc-file-name
                OUTPUT_VARIABLE velk_win32_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE velk_win32_missing ERROR_QUIET)
execute_process(COMMAND ${VELK_MINGW_TRIPLE}-g++-win32 -dumpfullversion
                OUTPUT_VARIABLE velk_win32_version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
execute_process(COMMAND ${VELK_MINGW_TRIPLE}-g++-posix -dumpfullversion
                OUTPUT_VARIABLE velk_posix_version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(velk_win32_missing OR NOT EXISTS "${velk_win32_libgcc}")
  message(FATAL_ERROR "${VELK_MINGW_TRIPLE}-g++-win32 was not found: the DLL is linked with its "
                      "runtime (on Debian, in the package g++-mingw-w64-...-win32)")
endif()
# (Debian's drivers name their thread model after the version: "12-win32".)
string(REGEX REPLACE "-(win32|posix)$" "" velk_win32_version "${velk_win32_version}")
string(REGEX REPLACE "-(win32|posix)$" "" velk_posix_version "${velk_posix_version}")
if(NOT velk_win32_version STREQUAL velk_posix_version)
  message(FATAL_ERROR "${VELK_MINGW_TRIPLE}-g++-win32 is ${velk_win32_version} and -posix is "
                      "${velk_posix_version}: the DLL needs both runtimes of one compiler version")
endif()
get_filename_component(VELK_DLL_RUNTIME_DIR "${velk_win32_libgcc}" DIRECTORY)
