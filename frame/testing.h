// Hooks for the test suites. Not exported from the shared library: the tests
// link the library's objects statically to reach them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velk::testing {

// Turns on the counts below (allocations and live blocks), which cost an
// atomic operation per block and are off unless asked for (on in sanitizer
// builds). Call it before the first block is made: a block made uncounted
// and released counted would spoil the figure.
void count_blocks();

// Makes the nth allocation from now fail (1 = the next one); 0 switches the
// failure off. Only that one allocation fails; later ones succeed again.
void fail_allocation(unsigned nth);
// Allocations asked for since the counter was last reset (when counting).
unsigned allocations_since_reset();
void reset_allocation_count();
// Blocks from GetMem and the stored-text functions not yet released (when
// counting).
long live_blocks();
// Bytes taken from the system for small blocks (0 where blocks are the
// system's own): it must not grow while memory is only reused.
std::size_t block_cache_bytes();

// Makes the nth file operation of a kind from now fail with a Windows error
// code (nth 0 switches it off). Only that one operation fails; a failed
// close still releases the file. open is also the making of a new file;
// place is a new file taking its name.
enum class FileOp { open, read, write, size, close, place };
void fail_file_operation(FileOp op, unsigned nth, std::uint32_t windows_code);

} // namespace velk::testing
