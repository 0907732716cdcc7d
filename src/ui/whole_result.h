// The entries of the view's result, for the commands that use what was found: the selected row's
// entry, and every entry of the result (not only the page), read under the disk check with a
// progress window for a long result. The page on screen, its selection and the request stay as
// they are.
#pragma once

#include <QString>
#include <functional>

#include "records/soldier_entry.h"

class CViewView;

inline constexpr const char* kRollChangedMessage =
    "The roll on the disk has changed since the search.\n\nSearch again, then try once more.";

// The entry of `row` of the page on screen (no disk check); false for no such row.
bool PageEntry(CViewView* view, int row, SoldierEntry* entry);
// The entry of the selected row, after the disk check; false without a selection or when the
// disk prompt was cancelled.
bool SelectedEntry(CViewView* view, SoldierEntry* entry);

enum class WalkOutcome {
  kDone,       // every entry was handed over
  kCancelled,  // the user stopped it, or `take` returned false
  kNoData,     // the disk prompt was cancelled, the roll could not be read, or it changed (told)
};

// Hands every entry of the result to `take`, in listing order. While it runs, a progress window
// captioned `what` shows (after a moment, for a long result) and can stop it.
WalkOutcome ForEachEntry(CViewView* view, const QString& what,
                         const std::function<bool(const SoldierEntry&)>& take);

// How long a walk runs before its progress window shows, in milliseconds (0: at once).
void SetProgressDelay(int milliseconds);
