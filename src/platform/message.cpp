#include "platform/message.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace korimu {

MessageSink messagesToStderr() {
  return [](std::string_view text, MessageKind) { std::cerr << text << '\n'; };
}

FatalExit exitProcess() {
  return [](int code) { std::exit(code); };
}

void Messages::show(std::string_view text, MessageKind kind) const {
  if (sink) sink(texts.translate("Message", std::string(text).c_str()), kind);
  if (kind == MessageKind::kFatal && fatalExit) fatalExit(1);
}

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(size_t(length) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(size_t(length));
  }
  va_end(args);
  return out;
}

}  // namespace korimu
