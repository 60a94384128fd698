# What the Linux cross toolchain files share: Debian's cross compilers of the
# triple VELK_LINUX_TRIPLE, the target's libraries under /usr/<triple>, and
# qemu-user as the emulator of the test programs when it is on PATH
# (building needs no qemu).
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER   ${VELK_LINUX_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VELK_LINUX_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${VELK_LINUX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-user runs one program of the target; -L gives it the target's dynamic
# loader and libraries.
find_program(QEMU_PROGRAM qemu-${VELK_QEMU_CPU} NO_CMAKE_PATH NO_CMAKE_ENVIRONMENT_PATH NO_CMAKE_SYSTEM_PATH)
if(QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PROGRAM} -L /usr/${VELK_LINUX_TRIPLE})
endif()
