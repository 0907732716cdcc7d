#include "support/scripted_message_box.h"

ScriptedMessageBox::ScriptedMessageBox(int defaultAnswer) : fallbackAnswer(defaultAnswer) {
  previousHandler = InstallMessageBoxHandler([this](const char* text, unsigned style) {
    shownBoxes.push_back({text, style});
    if (showHook) showHook(shownBoxes.back());
    if (scriptedAnswers.empty()) return fallbackAnswer;
    const int answer = scriptedAnswers.front();
    scriptedAnswers.pop_front();
    return answer;
  });
}

ScriptedMessageBox::~ScriptedMessageBox() { InstallMessageBoxHandler(std::move(previousHandler)); }

std::vector<std::string> ScriptedMessageBox::Texts() const {
  std::vector<std::string> out;
  for (const Box& b : shownBoxes) out.push_back(b.text);
  return out;
}
