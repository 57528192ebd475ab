// Message boxes. The text is shown with no title of its own; how it is shown depends on the
// front end that installed the sink (a Qt box, stderr, or a test recorder).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korimu {

enum class MessageKind {
  kExclamation,  // file, memory and device problems
  kPlainOk,      // short analysis texts
  kFatal,        // shown, then the process ends with exit code 1
};

using MessageSink = std::function<void(std::string_view text, MessageKind kind)>;
using FatalExit = std::function<void(int code)>;

// Shows a message. For kFatal the fatal-exit hook runs afterwards (std::exit(1) by default);
// callers still return their failure result, so a test hook that does not exit unwinds safely.
void showMessage(std::string_view text, MessageKind kind = MessageKind::kExclamation);

// Replaces the sink; returns the previous one. The default sink prints to stderr.
MessageSink setMessageSink(MessageSink sink);
FatalExit setFatalExit(FatalExit onFatal);

// printf-style formatting into a std::string.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korimu
