// The folder of decoded copies: one 16-bit WAV per source file, named after the source's path,
// size and modification time, so a changed or moved source is decoded again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace korimu {

// The copy's file name for the source as it is now ("" when the source cannot be looked at).
std::string cacheNameFor(const std::string& sourcePath);

// Whether `copy` is a whole 16-bit PCM WAV of `rate` and `channels` as the decoder writes it: the
// canonical 44-byte header whose sizes agree with the file's length, and at least one frame.
// Anything else (cut short, overwritten, another program's file) is decoded again.
bool isWholeCopy(const std::filesystem::path& copy, uint32_t rate, int channels);

// The 44-byte header of a 16-bit PCM WAV holding `dataBytes` of samples.
void writeCopyHeader(uint8_t (&header)[44], uint32_t rate, int channels, uint32_t dataBytes);

// Removes the oldest copies until the folder's copies take at most `limitBytes`; `keep` (the one
// just made or used) is never removed.
void trimCache(const std::filesystem::path& folder, uint64_t limitBytes,
               const std::filesystem::path& keep);

}  // namespace korimu
