# Cross build for 64-bit Windows with the mingw-w64 "-posix" drivers. The
# test programs run in a 64-bit Wine prefix of this build's own (a 32-bit
# prefix cannot run 64-bit programs; cmake/wine-run); Debian's wine starts
# its 64-bit loader for 64-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wineprefix)
endif()
