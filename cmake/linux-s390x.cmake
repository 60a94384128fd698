# Cross build for 64-bit IBM Z Linux, a big-endian machine; the test programs
# run under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VELK_LINUX_TRIPLE s390x-linux-gnu)
set(VELK_QEMU_CPU s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
