#include "ui/whole_result.h"

#include <QProgressDialog>

#include "platform/message_box.h"
#include "results/result_walk.h"
#include "store/roll_format.h"
#include "ui/view_view.h"

namespace {

int g_progressDelay = 500;
// Rows between two looks at the progress window: often enough to stay responsive, rarely enough
// that the window costs nothing beside the reading.
constexpr std::int64_t kRowsPerStep = 256;

SoldierEntry EntryOf(const WalkedRow& row) {
  return EntryFromRoll(row.surname, row.nameText, SplitFields(row.line));
}

}  // namespace

void SetProgressDelay(int milliseconds) { g_progressDelay = milliseconds; }

bool PageEntry(CViewView* view, int row, SoldierEntry* entry) { return view->Screen().PageEntry(row, entry); }

bool SelectedEntry(CViewView* view, SoldierEntry* entry) {
  const int row = view->SelectedRow();
  if (row < 0 || row >= view->ShownRowCount()) return false;
  return view->Database()->EnsureDataPresent() && PageEntry(view, row, entry);
}

WalkOutcome ForEachEntry(CViewView* view, const QString& what,
                         const std::function<bool(const SoldierEntry&)>& take) {
  ResultWalk walk(*view->Database(), *view->Results());
  switch (walk.Start()) {
    case WalkStart::kReady:
      break;
    case WalkStart::kChanged:
      view->Screen().Dialogue().Tell(kRollChangedMessage, kMbOk | kMbIconExclamation);
      return WalkOutcome::kNoData;
    case WalkStart::kNoData:
      view->Screen().TellStatus(walk.Status());
      return WalkOutcome::kNoData;
  }

  const std::int64_t count = walk.Count();
  QProgressDialog progress(what, QObject::tr("Cancel"), 0, static_cast<int>(count), view->window());
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(g_progressDelay);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setValue(0);

  WalkedRow row;
  for (std::int64_t done = 0; walk.Next(&row); ++done) {
    if (done % kRowsPerStep == 0) {
      progress.setValue(static_cast<int>(done));
      if (progress.wasCanceled()) return WalkOutcome::kCancelled;
    }
    if (!take(EntryOf(row))) return WalkOutcome::kCancelled;
  }
  return progress.wasCanceled() ? WalkOutcome::kCancelled : WalkOutcome::kDone;
}
