// The search of the search view that looks beyond one exact key or narrows by the entries'
// fields.
#include <string>

#include "ui/hist_view.h"
#include "ui/search_progress.h"

void CHistView::DoFind(const char* surname) {
  // Unlike the plain search, the list keeps the result on screen until the new one replaces it:
  // a search stopped with Escape leaves that result, its page and its selection as they were.
  const SearchRequest previous = *m_pRequest;
  m_pRequest->SetSurname(surname);
  m_pRequest->SetDatabase(1);
  const std::string given = ReadNameField(1, kGivenNameReadLength);
  if (!given.empty()) m_pRequest->SetGivenName(given.c_str());

  FindOutcome outcome;
  {
    SearchProgress progress(window());
    outcome = m_pDatabase->RunFind(*m_pRequest, m_findOptions, progress.Callback());
  }
  if (g_bShuttingDown) return;
  if (outcome == FindOutcome::kCancelled) {
    *m_pRequest = previous;
    return;
  }
  m_nSelRow = -1;
  m_nPage = 0;
  ShowPage();
  emit searchShown();
}
