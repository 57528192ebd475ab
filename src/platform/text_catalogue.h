// The words the user reads. The program's own texts are written in Japanese, each under a context
// that says where it appears ("Canvas", "Message", ...); a front end that speaks another language
// hands its translator down, and a catalogue without one shows the texts as written (the command
// line's renders, the tests).
#pragma once

#include <functional>
#include <string>

namespace korimu {

class TextCatalogue {
 public:
  using Translator = std::function<std::string(const char* context, const char* source)>;

  TextCatalogue() = default;
  explicit TextCatalogue(Translator translator) : translator_(std::move(translator)) {}

  // The text shown for `source`; the source itself when there is no translation. A printf-style
  // source keeps its conversions in its translation (the catalogue's test checks them).
  std::string translate(const char* context, const char* source) const {
    return translator_ ? translator_(context, source) : std::string(source);
  }

 private:
  Translator translator_;
};

}  // namespace korimu
