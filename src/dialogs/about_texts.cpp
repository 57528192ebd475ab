#include "dialogs/about_texts.h"

#include <climits>

#include "platform/message.h"

namespace korimu {

std::string wordSizeText(int bits, const TextCatalogue& texts) {
  return formatText(texts.translate("Dialog", "%d bit 版").c_str(), bits);
}

std::string wordSizeText(const TextCatalogue& texts) {
  return wordSizeText(int(sizeof(void*) * CHAR_BIT), texts);
}

std::string deviceCountsText(int inputCount, int outputCount, const TextCatalogue& texts) {
  return formatText(texts.translate("Dialog", "録音ﾃﾞﾊﾞｲｽ=%2d個  再生ﾃﾞﾊﾞｲｽ=%2d個").c_str(),
                    inputCount, outputCount);
}

std::string toolchainLabel(int qtMajor, int qtMinor) {
#if defined(__clang__)
  const char* compiler = "clang";
  const int compilerMajor = __clang_major__;
#elif defined(__GNUC__)
  const char* compiler = "g++";
  const int compilerMajor = __GNUC__;
#else
  const char* compiler = "C++";
  const int compilerMajor = 0;
#endif
  return formatText("%s%d Qt%d.%d", compiler, compilerMajor, qtMajor, qtMinor);
}

}  // namespace korimu
