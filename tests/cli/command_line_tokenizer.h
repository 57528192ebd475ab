// The Windows-style tokenizer of one command text, as the original program split its command line.
#pragma once

#include <string>
#include <vector>

namespace korimu {

// Splits one command text into at most 15 items (item 0 is the program path), with the quoting,
// "/" and blank rules of the original program.
std::vector<std::string> tokenizeCommandLine(const std::string& text);

}  // namespace korimu
