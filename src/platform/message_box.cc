#include "platform/message_box.h"

#include <utility>

namespace {
MessageBoxHandler& CurrentHandler() {
  static MessageBoxHandler handler;
  return handler;
}
}  // namespace

MessageBoxHandler InstallMessageBoxHandler(MessageBoxHandler handler) {
  return std::exchange(CurrentHandler(), std::move(handler));
}

int ShowMessageBox(const char* text, unsigned style) {
  const MessageBoxHandler& handler = CurrentHandler();
  if (!handler) return 0;
  return handler(text ? text : "", style);
}

std::string FormatMessage(const char* format, std::string_view value) {
  const std::string_view text(format);
  const std::size_t at = text.find("%s");
  if (at == std::string_view::npos) return std::string(text);
  std::string out(text.substr(0, at));
  out += value;
  out += text.substr(at + 2);
  return out;
}
