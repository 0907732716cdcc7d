// The search view the program shows: CViewView plus the surname and given-name fields and the
// selection of a row by mouse.
#pragma once

#include "store/search_answer.h"
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

  void OnLButtonDown(const QPoint& point);
  void OnLButtonDblClk(const QPoint& point);

  // How a search finds its surnames and which entries it keeps (the Find menu sets them): the
  // screen's (ui/search_screen.h).
  void SetFindOptions(const FindOptions& options) { Screen().SetFindOptions(options); }
  const FindOptions& FindSettings() const { return Screen().FindSettings(); }

 protected:
  // A row's tooltip spells out its Information column.
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};
