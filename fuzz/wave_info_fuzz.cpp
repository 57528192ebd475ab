// The wave-information reader on any file: it reads the header as the bytes stand, and whatever
// the sizes say, it ends, fills the controls it should, and shows the file's true size.
#include <cstdint>
#include <string>

#include "dialogs/wave_info.h"
#include "fuzz_support.h"

using namespace korimu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& file = fuzz::writeInput(data, size);
  const auto texts = readWaveInfo(file);
  const auto at = [&texts](int id) {
    const auto it = texts.find(id);
    return it == texts.end() ? std::string("<none>") : it->second;
  };
  fuzz::check(at(kInfoFileSize) == std::to_string(size), "the file size as it is");
  // A file that opened shows every field that does not depend on a third chunk.
  for (const int id :
       {kInfoRiffId, kInfoRiffSize, kInfoChunkSize, kInfoFormatTag, kInfoTagName, kInfoSampleRate,
        kInfoSamplePeriod, kInfoByteRate, kInfoSecondSize, kInfoTotalTime})
    fuzz::check(texts.count(id) == 1, "every header field is shown");
  // Sizes are unsigned: never a minus sign.
  for (const int id : {kInfoRiffSize, kInfoChunkSize, kInfoSecondSize, kInfoSampleRate})
    fuzz::check(at(id).find('-') == std::string::npos, "sizes unsigned");
  for (const auto& [id, text] : texts) fuzz::check(text.size() <= 64, "texts that fit a control");
  return 0;
}
