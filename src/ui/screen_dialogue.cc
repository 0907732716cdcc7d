#include "ui/screen_dialogue.h"

#include <cstdlib>

#include "platform/message_box.h"
#include "store/data_location.h"

int MessageBoxDialogue::AskForDisk() {
  if (m_location.diskPrompt) return m_location.diskPrompt();
  return ShowMessageBox(kDiskPrompt, kDiskPromptStyle);
}

int MessageBoxDialogue::Tell(const char* text, unsigned style) { return ShowMessageBox(text, style); }

void MessageBoxDialogue::EndProgram(int status) { std::exit(status); }
