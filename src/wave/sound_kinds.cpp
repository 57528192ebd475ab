#include "wave/sound_kinds.h"

#include <algorithm>
#include <cctype>

#include "wave/sndfile_library.h"

namespace korimu {

namespace {

// Names the same kinds go by besides the one libsndfile gives.
struct OtherSpelling {
  const char* extension;
  const char* other;
};
constexpr OtherSpelling kOtherSpellings[] = {
    {"aiff", "aif"}, {"aiff", "aifc"}, {"oga", "ogg"}, {"oga", "opus"},
    {"m1a", "mp3"},  {"m1a", "mp2"},   {"au", "snd"},  {"iff", "svx"},
};

std::string lowered(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<std::string> openableExtensions() {
  std::vector<std::string> out{"wav"};
  const SndfileLibrary library;
  if (!library.loaded()) return out;  // nothing is decoded; the reader's own WAVE files remain
  int count = 0;
  library.command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, int(sizeof count));
  for (int i = 0; i < count; ++i) {
    SF_FORMAT_INFO info{};
    info.format = i;
    if (library.command(nullptr, SFC_GET_FORMAT_MAJOR, &info, int(sizeof info)) != 0 ||
        !info.extension)
      continue;
    const std::string extension = lowered(info.extension);
    if (extension == "raw") continue;
    out.push_back(extension);
    for (const OtherSpelling& s : kOtherSpellings)
      if (extension == s.extension) out.emplace_back(s.other);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace korimu
