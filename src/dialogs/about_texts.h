// Texts of the About dialog.
#pragma once

#include <string>

#include "platform/text_catalogue.h"

namespace korimu {

inline constexpr const char* kAboutCaption = "About KORIMU";
inline constexpr const char* kAboutVersion = "KORIMU  Version 0.10";

// "%d bit 版" with the word size of this build.
std::string wordSizeText(const TextCatalogue& texts = {});
std::string wordSizeText(int bits, const TextCatalogue& texts = {});

// The device counts, recording (input) first and playback (output) second, each "%2d".
std::string deviceCountsText(int inputCount, int outputCount, const TextCatalogue& texts = {});

// A short label naming the compiler that built the program and the Qt version it was built with.
std::string toolchainLabel(int qtMajor, int qtMinor);

}  // namespace korimu
