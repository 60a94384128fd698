// Hooks for the test suites. Not exported from the shared library: the tests
// link the library's objects statically to reach them.
#pragma once

#include <cstdint>

namespace velk::testing {

// Makes the nth allocation from now fail (1 = the next one); 0 switches the
// failure off. Only that one allocation fails; later ones succeed again.
void fail_allocation(unsigned nth);
// Allocations asked for since the counter was last reset.
unsigned allocations_since_reset();
void reset_allocation_count();
// Blocks from GetMem and the stored-text functions not yet released.
long live_blocks();

// Makes the nth file operation of a kind from now fail with a Windows error
// code (nth 0 switches it off). Only that one operation fails; a failed
// close still releases the file.
enum class FileOp { open, read, write, size, close, remove };
void fail_file_operation(FileOp op, unsigned nth, std::uint32_t windows_code);

} // namespace velk::testing
