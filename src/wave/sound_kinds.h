// The kinds of sound file the program opens: WAV through its own reader, and every kind
// libsndfile decodes here, by their file name extensions.
#pragma once

#include <string>
#include <vector>

namespace korimu {

// Lower-case extensions without the dot, sorted, each once: "wav" and libsndfile's kinds with
// their usual other spellings ("aif", "ogg", "opus"). Headerless raw data is left out: nothing
// tells how to read it.
std::vector<std::string> openableExtensions();

}  // namespace korimu
