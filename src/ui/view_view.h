// The search screen: one view filling the frame's client area. CViewView holds what is common
// (the engine objects, the seven buttons, the painting of the result table and the commands);
// CHistView (hist_view.h) adds the two name fields, the concrete search and row selection.
//
// The result table is not a control: the count line and the rows are painted over the document's
// backdrop. All coordinates are client pixels of the view.
#pragma once

#include <memory>
#include <string>

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "results/result_list.h"
#include "store/roll_database.h"
#include "store/search_request.h"

class BitmapButton;
class CViewDoc;
class DataLocation;
class HelpWindow;
class QKeyEvent;
class QLineEdit;
class QPainter;
class QPushButton;

// Set while the engine objects are being deleted; a search that returns then touches nothing.
extern bool g_bShuttingDown;
// Set until the first paint has made its font test.
extern bool g_bFirstDraw;

// Right and bottom edges are exclusive, as QRect::contains treats them.
inline const QRect rcResultList(21, 237, 602 - 21, 413 - 237);
inline const QRect rcCountLine(217, 183, 450 - 217, 220 - 183);

inline constexpr int kRowTop = 237;
inline constexpr int kRowTextCount = 15;
inline constexpr int kRowTextSize = 500;
inline constexpr int kLargeFontHeight = 20;
inline constexpr int kSurnameReadLength = 19;    // characters of the surname a search reads
inline constexpr int kGivenNameReadLength = 250;
inline constexpr int kNameFieldLimit = 20;

// Command ids of the buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDC_CLEAR = 101;
inline constexpr int IDC_HELP_BUTTON = 102;
inline constexpr int IDC_QUIT = 103;
inline constexpr int IDC_MORE_INFO = 104;
inline constexpr int IDC_PREV_PAGE = 106;
inline constexpr int IDC_NEXT_PAGE = 107;
inline constexpr int IDC_SURNAME = 108;
inline constexpr int IDC_GIVEN_NAME = 109;

inline constexpr const char* kEmptySurnameMessage = "Please enter a surname.";
inline constexpr const char* kCountLineFormat = "%ld records found.";
inline constexpr const char* kNoRecordsText = "No records found.";
inline constexpr const char* kRowTextColorName = "#0f1908";  // RGB(15, 25, 8)

// The count line for `total` matches.
std::string CountLineText(long total);

// Left and right (exclusive) edges of the three text columns.
struct ColumnEdges {
  int left;
  int right;
};
inline constexpr ColumnEdges kColumns[3] = {{21, 145}, {165, 286}, {306, 601}};

class CViewView : public QWidget {
  Q_OBJECT

 public:
  CViewView(CViewDoc* document, const DataLocation& location, QWidget* parent);
  ~CViewView() override;

  // Builds the engine objects and the seven buttons. 0, or -1 when the view cannot be made.
  virtual int OnCreate();
  // Teardown: closes the help, deletes the fields, the buttons and the engine, in this order.
  // Safe on a partly created view and safe to repeat.
  void OnDestroy();
  // Puts the focus into the surname field.
  virtual void OnInitialUpdate();

  virtual void DoSearch(const char* surname) {}
  virtual void DoClear() {}

  // Redraws the count line and the rows in place (the two rectangles only).
  void RepaintResults();
  // Refreshes the row texts of the current page and repaints them in place.
  void ShowPage();

  // Commands.
  void OnSearch();
  void OnClear();
  void OnHelp();
  void OnQuit();
  void OnMoreInfo();
  void OnPrevPage();
  void OnNextPage();

  // The text height of the view's font (the application's default UI font).
  int TextHeight() const;
  // The row band of `row` on the current font (cells and gaps).
  QRect RowRect(int row) const;
  // The cell of `column` in `row`.
  QRect CellRect(int row, int column) const;
  // The count line as DrawCountLine draws it now.
  QString CountLine() const;
  // The rows of the current page, as many as are painted.
  int ShownRowCount() const;
  // The text painted in `column` of `row` (empty for a missing field or a row not shown).
  QString FieldText(int row, int column) const;
  // Makes `row` the selected row, or clears the selection for a row that is not shown (-1 for
  // none): moves the highlight, switches More Info and tells assistive technology.
  void SelectRow(int row);
  HelpWindow* Help() const;
  const QString& HelpFilePath() const { return m_strHelpPath; }

  // The page on screen (0 for the first) and the number of pages of the result (0 when empty).
  int PageIndex() const { return m_nPage; }
  int PageCount() const;

  // The view's parts, for the frame, assistive technology and tests; the view alone changes them.
  QLineEdit* NameField(int row) const { return m_pEdit[row]; }  // 0 surname, 1 given name
  QPushButton* SearchButton() const { return m_pSearchBtn; }
  QPushButton* ClearButton() const { return m_pClearBtn; }
  QPushButton* MoreInfoButton() const { return m_pMoreInfoBtn; }
  BitmapButton* PrevButton() const { return m_pPrevBtn; }
  BitmapButton* NextButton() const { return m_pNextBtn; }
  QPushButton* HelpButton() const { return m_pHelpBtn; }
  QPushButton* QuitButton() const { return m_pQuitBtn; }
  int SelectedRow() const { return m_nSelRow; }
  bool IsBusy() const { return m_bBusy; }
  const RollDatabase* Database() const { return m_pDatabase.get(); }
  const SearchRequest* Request() const { return m_pRequest.get(); }
  const ResultList* Results() const { return m_pResults.get(); }
  // For the commands that read the result beyond its page (copy, export, print): they read
  // through the engine objects but leave the page, the selection and the request as they are.
  RollDatabase* Database() { return m_pDatabase.get(); }
  ResultList* Results() { return m_pResults.get(); }
  // The display text of `row` of the current page ("surname\tgiven name\tsummary").
  const char* RowText(int row) const { return m_szRowText[row]; }

 signals:
  // The rows on screen or the selected row changed: a search, Clear, another page, a click or a key.
  void resultChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // The result list's keys, typed in a name field or on a button (view_keys.cc).
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Paints the whole screen over `painter`; a full paint ends with the focus in the surname field.
  void OnDraw(QPainter& painter, bool fullPaint);
  void DrawRows(QPainter& painter, int rowCount, int total);
  void DrawCountLine(QPainter& painter, int total);
  void InvertRow(QPainter& painter, int row);
  // The enabled state that goes with drawing: page buttons by the result, More Info by the
  // selection, and the page buttons' tooltips; also hands the font size to the result list.
  void ApplyResultState(int rowCount);
  // Repaints `region` synchronously as an in-place update (no focus change).
  void RepaintInPlace(const QRegion& region);
  // The text of name field `row` as the engine takes it: blanks at either end left off,
  // Windows-1252, at most `limit` characters.
  std::string ReadNameField(int row, int limit) const;
  // Sends the result list's keys typed at `control` to the view (eventFilter).
  void TakeListKeys(QWidget* control);

  // Turns to the page after (or before) the current one, which the caller knows is there, under
  // the disk check, and shows it with no row selected. False when the disk prompt was cancelled
  // (nothing changed then). Unlike the page buttons' commands it leaves the focus where it is.
  bool TurnPage(bool forward);

  QLineEdit* m_pEdit[2] = {nullptr, nullptr};
  QPushButton* m_pMoreInfoBtn = nullptr;
  QPushButton* m_pSearchBtn = nullptr;
  QPushButton* m_pClearBtn = nullptr;
  BitmapButton* m_pPrevBtn = nullptr;
  BitmapButton* m_pNextBtn = nullptr;
  int m_nSelRow = -1;
  bool m_bBusy = false;
  std::unique_ptr<RollDatabase> m_pDatabase;
  std::unique_ptr<SearchRequest> m_pRequest;
  std::unique_ptr<ResultList> m_pResults;
  char m_szRowText[kRowTextCount][kRowTextSize] = {};
  QPushButton* m_pHelpBtn = nullptr;
  QPushButton* m_pQuitBtn = nullptr;
  int m_nPage = 0;  // the page on screen, counted from 0; set back by every search and Clear

  CViewDoc* m_pDocument;
  const DataLocation& m_location;

 private:
  void CreateEngine();
  void CreateButtons();
  void DeleteButtons();
  void DeleteEngine();
  bool PaintedUnderChildrenOnly(const QRegion& region) const;
  // The result list's keys (view_keys.cc): true when the key was taken.
  bool OnListKey(QWidget* control, const QKeyEvent& key);
  // Up and Down: the row above or below, across to the page before or after at the ends.
  void MoveSelection(int step);
  // One page on in the result list, keeping the page count; no disk check, nothing shown.
  void StepPage(bool forward);
  // Home and End: the first or last page, under one disk check.
  void ShowEndPage(bool last);

  QPointer<HelpWindow> m_pHelpWindow;
  QString m_strHelpPath;
  bool m_bFamilyDirectorySet = false;
  bool m_bInPlace = false;
  bool m_bDestroyed = false;
};
