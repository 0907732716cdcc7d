#include "support/scripted_message_box.h"

ScriptedMessageBox::ScriptedMessageBox(int defaultAnswer) : defaultAnswer_(defaultAnswer) {
  previous_ = InstallMessageBoxHandler([this](const char* text, unsigned style) {
    boxes_.push_back({text, style});
    if (hook_) hook_(boxes_.back());
    if (answers_.empty()) return defaultAnswer_;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedMessageBox::~ScriptedMessageBox() { InstallMessageBoxHandler(std::move(previous_)); }

std::vector<std::string> ScriptedMessageBox::texts() const {
  std::vector<std::string> out;
  for (const Box& b : boxes_) out.push_back(b.text);
  return out;
}
