# Cross build for 64-bit ARM Linux; the test programs run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VELK_LINUX_TRIPLE aarch64-linux-gnu)
set(VELK_QEMU_CPU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
