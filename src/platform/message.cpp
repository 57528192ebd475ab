#include "platform/message.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <utility>

namespace korimu {

namespace {

MessageSink& sink() {
  static MessageSink current = [](std::string_view text, MessageKind) {
    std::cerr << text << '\n';
  };
  return current;
}

FatalExit& fatalExit() {
  static FatalExit current = [](int code) { std::exit(code); };
  return current;
}

}  // namespace

void showMessage(std::string_view text, MessageKind kind) {
  if (sink()) sink()(text, kind);
  if (kind == MessageKind::kFatal && fatalExit()) fatalExit()(1);
}

MessageSink setMessageSink(MessageSink newSink) {
  return std::exchange(sink(), std::move(newSink));
}

FatalExit setFatalExit(FatalExit onFatal) {
  return std::exchange(fatalExit(), std::move(onFatal));
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
