// The two last-error texts (list family, XML family) and the file error
// numbers that file-failure messages carry (named in frame/codes.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/codes.h"
#include "frame/faces.h"

namespace velk {

// Replaces the family's last-error text. The texts are process-wide and
// guarded by a lock, so failures on two threads never tear a text. Each
// keeps room for a message of 512 bytes, so that setting one takes no
// memory.
void set_error(Family family, std::string_view message);
// Memory ran out: gives back a spare block kept for this moment, so that the
// message about it can be made; the next set_error takes it again.
void free_spare_memory() noexcept;
// A copy of the family's last-error text.
std::string error_text(Family family);

// The number a file-failure message shows for a Windows error code.
int file_error_number(std::uint32_t windows_code);

} // namespace velk
