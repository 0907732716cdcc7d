// What the search screen asks and tells its user: the engine's disk prompt, the boxes the program
// shows at fixed points of a command ("Please enter a surname.", "ext", "cor", "wrong file
// format!", the filter buffer's notices), and the end of the program where the index is no index.
// The screen is handed one and never reaches for a global; the viewer's answers through the
// platform's message box, tests record and script theirs.
#pragma once

#include "store/roll_dialogue.h"
#include "store/search_answer.h"

class DataLocation;

class ScreenDialogue : public RollDialogue {
 public:
  // A modal box with `text` (Windows-1252) and `style` (platform/message_box.h); the button pressed.
  virtual int Tell(const char* text, unsigned style) = 0;
  // Ends the program with `status`, at once.
  [[noreturn]] virtual void EndProgram(int status) = 0;
  // A search that may take a while is about to run: the callback that shows its progress and may
  // stop it (empty: none). SearchEnded follows once it has returned.
  virtual FindProgress SearchStarting() { return {}; }
  virtual void SearchEnded() {}
};

// The dialogue of the platform's message box (platform/message_box.h), whose handler the front
// end installs (the viewer a Qt box). The disk prompt is the location's own (DataLocation's
// diskPrompt, the viewer's prompt with Browse...) when one is set, else the classic box.
class MessageBoxDialogue : public ScreenDialogue {
 public:
  explicit MessageBoxDialogue(const DataLocation& location) : m_location(location) {}

  int AskForDisk() override;
  int Tell(const char* text, unsigned style) override;
  [[noreturn]] void EndProgram(int status) override;

 private:
  const DataLocation& m_location;
};
