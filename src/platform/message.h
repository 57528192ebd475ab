// Messages for the user. The text is shown with no title of its own; how it is shown depends on
// the sink its owner gave (a Qt box, stderr, a batch's collector, a test's recorder).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/text_catalogue.h"

namespace korimu {

enum class MessageKind {
  kExclamation,  // file, memory and device problems
  kPlainOk,      // short analysis texts
  kFatal,        // shown, then the process ends with exit code 1
};

using MessageSink = std::function<void(std::string_view text, MessageKind kind)>;
using FatalExit = std::function<void(int code)>;

// Prints the text on stderr; ends the process with the code.
MessageSink messagesToStderr();
FatalExit exitProcess();

// Where one owner's messages go (the window program's main, the command line, each file of a
// batch, a test): it makes one and hands it down with the WaveSession its session holds.
struct Messages {
  // Made from a sink and a fatal exit alone, as most owners do; the texts stay as written until
  // the window gives its catalogue.
  Messages(MessageSink sink = messagesToStderr(), FatalExit fatalExit = exitProcess(),
           TextCatalogue texts = {})
      : sink(std::move(sink)), fatalExit(std::move(fatalExit)), texts(std::move(texts)) {}

  MessageSink sink;
  FatalExit fatalExit;
  // The words of the messages: their texts are written in Japanese; the window may translate.
  TextCatalogue texts;

  // Shows a message, in the catalogue's words when it is one of the program's fixed texts (a
  // formatted one was made from its translated format). For kFatal the fatal exit runs afterwards;
  // callers still return their failure result, so a fatal exit that does not end the process
  // unwinds safely.
  void show(std::string_view text, MessageKind kind = MessageKind::kExclamation) const;
};

// printf-style formatting into a std::string.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korimu
