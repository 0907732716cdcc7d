// Installs a message-box handler for the life of the object that records every box and answers
// from a script (then with the default answer).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

class ScriptedMessageBox {
 public:
  struct Box {
    std::string text;
    unsigned style;
  };

  explicit ScriptedMessageBox(int defaultAnswer = kIdOk);
  ~ScriptedMessageBox();

  // Answers for the next boxes, in order.
  void Answer(std::initializer_list<int> answers) { scriptedAnswers.insert(scriptedAnswers.end(), answers); }
  // Runs before each answer (for example to put the disk back).
  void OnShow(std::function<void(const Box&)> hook) { showHook = std::move(hook); }

  const std::vector<Box>& Boxes() const { return shownBoxes; }
  std::vector<std::string> Texts() const;

 private:
  int fallbackAnswer;
  std::deque<int> scriptedAnswers;
  std::vector<Box> shownBoxes;
  std::function<void(const Box&)> showHook;
  MessageBoxHandler previousHandler;
};
