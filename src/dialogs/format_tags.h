// Names of WAVE format tags.
#pragma once

#include <cstdint>

namespace korimu {

// The name of a format tag from the program's table, or nullptr for a tag outside it. Tags are
// compared as signed 16-bit numbers, so 0x8000 and above never match.
const char* formatTagName(int16_t tag);

// The number of rows in the table.
int formatTagCount();

}  // namespace korimu
