# Cross build for 32-bit Windows with the mingw-w64 "-posix" drivers; the
# test programs run under Wine's default prefix (cmake/wine-run).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run default)
endif()
