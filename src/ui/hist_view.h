// The search view the program shows: CViewView plus the surname and given-name fields, the
// concrete search routine and the selection of a row by mouse.
#pragma once

#include "results/find_result.h"
#include "ui/view_view.h"

struct NameFieldGeometry {
  short x;
  short y;
  short width;
  short height;
  short id;
  short limit;
};
inline constexpr NameFieldGeometry kNameFields[2] = {
    {146, 147, 147, 24, IDC_SURNAME, kNameFieldLimit},
    {321, 147, 154, 24, IDC_GIVEN_NAME, kNameFieldLimit},
};

class CHistView : public CViewView {
  Q_OBJECT

 public:
  CHistView(CViewDoc* document, const DataLocation& location, QWidget* parent);
  ~CHistView() override;

  int OnCreate() override;
  void OnInitialUpdate() override { CViewView::OnInitialUpdate(); }
  void DoSearch(const char* surname) override;

  void OnLButtonDown(const QPoint& point);
  void OnLButtonDblClk(const QPoint& point);

  // How a search finds its surnames and which entries it keeps (the Find menu sets them). The
  // exact mode without a filter is the search of the plain screen; any other search (a typed * or
  // ? asks for wildcards by itself) runs through RunFind, shows its progress when it takes a
  // while, and when stopped leaves the result on screen as it was.
  void SetFindOptions(const FindOptions& options) { m_findOptions = options; }
  const FindOptions& FindSettings() const { return m_findOptions; }

 signals:
  // A search has put its result on screen (not sent for a search that was stopped).
  void searchShown();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // The search that is not the plain one (find_search.cc).
  void DoFind(const char* surname);

  FindOptions m_findOptions;
};
