// The two system cursors the program asks for: the hourglass while a command is busy, the arrow
// otherwise.
#pragma once

class QWidget;

// Shows the hourglass over `window` (a top-level window) and everything in it until
// ShowArrowCursor. A message box or dialog opened meanwhile is a window of its own and keeps the
// arrow, while the window behind it still shows that the command is not done.
void ShowWaitCursor(QWidget* window);
// The arrow over `window` again.
void ShowArrowCursor(QWidget* window);

// The hourglass over the whole program for the object's lifetime, for work done before any
// window is up (start-up).
class ScopedWaitCursor {
 public:
  ScopedWaitCursor();
  ~ScopedWaitCursor();
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;
};
