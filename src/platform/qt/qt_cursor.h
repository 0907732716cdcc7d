// The two system cursors the view asks for, as Qt override cursors: the hourglass while a
// command is busy, the arrow otherwise.
#pragma once

// Shows the hourglass over the whole application until ShowArrowCursor. Calling it again while
// it shows changes nothing.
void ShowWaitCursor();
// Takes the hourglass away again; without one showing it does nothing.
void ShowArrowCursor();
// True while ShowWaitCursor's hourglass is in force.
bool WaitCursorShown();

// Puts an arrow over everything for its lifetime (a modal box shown in the middle of a busy
// command), and gives back whatever cursor was in force.
class ScopedArrowCursor {
 public:
  ScopedArrowCursor();
  ~ScopedArrowCursor();
  ScopedArrowCursor(const ScopedArrowCursor&) = delete;
  ScopedArrowCursor& operator=(const ScopedArrowCursor&) = delete;
};
