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
