// The search screen's widget: one view filling the frame's client area, which paints the search
// screen (ui/search_screen.h, the state and rules without a window), forwards its input to it and
// listens to it. CViewView holds what is common (the seven buttons, the painting of the result
// table, the commands' forwarding); CHistView (hist_view.h) adds the two name fields and the
// selection of a row by mouse.
//
// The result table is not a control: the count line and the rows are painted over the document's
// backdrop. All coordinates are client pixels of the view.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "ui/search_progress.h"
#include "ui/search_screen.h"

class BitmapButton;
class CViewDoc;
class DataLocation;
class HelpWindow;
class MoreInfoDialog;
class QKeyEvent;
class QLineEdit;
class QPainter;
class QPushButton;

// Set until the first paint has made its font test.
extern bool g_bFirstDraw;

// Right and bottom edges are exclusive, as QRect::contains treats them.
inline const QRect rcResultList(21, 237, 602 - 21, 413 - 237);
inline const QRect rcCountLine(217, 183, 450 - 217, 220 - 183);

inline constexpr int kRowTop = 237;
inline constexpr int kLargeFontHeight = 20;
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

inline constexpr const char* kRowTextColorName = "#0f1908";  // RGB(15, 25, 8)

// Left and right (exclusive) edges of the three text columns.
struct ColumnEdges {
  int left;
  int right;
};
inline constexpr ColumnEdges kColumns[3] = {{21, 145}, {165, 286}, {306, 601}};

class CViewView : public QWidget, private ScreenListener {
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

  // Redraws the count line and the rows in place (the two rectangles only).
  void RepaintResults();

  // Commands, forwarded to the screen.
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
  int ShownRowCount() const { return m_screen.ShownRowCount(); }
  // The text painted in `column` of `row` (empty for a missing field or a row not shown).
  QString FieldText(int row, int column) const;
  // Makes `row` the selected row, or clears the selection for a row that is not shown (-1 for
  // none).
  void SelectRow(int row) { m_screen.SelectRow(row); }
  HelpWindow* Help() const;
  const QString& HelpFilePath() const { return m_strHelpPath; }

  // The page on screen (0 for the first) and the number of pages of the result (0 when empty).
  int PageIndex() const { return m_screen.PageIndex(); }
  int PageCount() const { return m_screen.PageCount(); }

  // The view's parts, for the frame, assistive technology and tests; the view alone changes them.
  QLineEdit* NameField(int row) const { return m_pEdit[row]; }  // 0 surname, 1 given name
  QPushButton* SearchButton() const { return m_pSearchBtn; }
  QPushButton* ClearButton() const { return m_pClearBtn; }
  QPushButton* MoreInfoButton() const { return m_pMoreInfoBtn; }
  BitmapButton* PrevButton() const { return m_pPrevBtn; }
  BitmapButton* NextButton() const { return m_pNextBtn; }
  QPushButton* HelpButton() const { return m_pHelpBtn; }
  QPushButton* QuitButton() const { return m_pQuitBtn; }
  int SelectedRow() const { return m_screen.SelectedRow(); }
  bool IsBusy() const { return m_screen.IsBusy(); }
  // The screen the view paints: its engine objects, page and rules.
  SearchScreen& Screen() { return m_screen; }
  const SearchScreen& Screen() const { return m_screen; }
  const RollDatabase* Database() const { return m_screen.Database(); }
  const SearchRequest* Request() const { return m_screen.Request(); }
  const ResultList* Results() const { return m_screen.Results(); }
  // For the commands that read the result beyond its page (copy, export, print): they read
  // through the engine objects but leave the page, the selection and the request as they are.
  RollDatabase* Database() { return m_screen.Database(); }
  ResultList* Results() { return m_screen.Results(); }
  // The display text of `row` of the current page ("surname\tgiven name\tsummary").
  const char* RowText(int row) const { return m_screen.RowText(row); }
  // Given the More Info dialog of page row `row` before it opens, to add what later features offer.
  void SetMoreInfoExtras(std::function<void(MoreInfoDialog& dialog, int row)> extras) {
    m_moreInfoExtras = std::move(extras);
  }

 signals:
  // The rows on screen or the selected row changed: a search, Clear, another page, a click or a key.
  void resultChanged();
  // A search has put its result on screen (not sent for a search that was stopped).
  void searchShown();
  // More Info is about to show `dialog` for the selected row: what it can do with a record
  // (print, save) may be offered on it.
  void moreInfoOpened(MoreInfoDialog* dialog);
  // A unit's roster has been put on screen as the result.
  void rosterShown();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // The result list's keys, typed in a name field or on a button (view_commands.cc).
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Paints the whole screen over `painter`; a full paint ends with the focus in the surname field.
  void OnDraw(QPainter& painter, bool fullPaint);
  void DrawRows(QPainter& painter, int rowCount, int total);
  void DrawCountLine(QPainter& painter, int total);
  void InvertRow(QPainter& painter, int row);
  // The enabled state that goes with drawing (the screen's Controls()), and the page buttons'
  // tooltips; also hands the font size to the screen.
  void ApplyResultState();
  // Repaints `region` synchronously as an in-place update (no focus change).
  void RepaintInPlace(const QRegion& region);
  // The text of name field `row` as the screen takes it: blanks at either end left off,
  // Windows-1252.
  std::string ReadNameField(int row) const;
  // Sends the result list's keys typed at `control` to the view (eventFilter).
  void TakeListKeys(QWidget* control);

  QLineEdit* m_pEdit[2] = {nullptr, nullptr};
  QPushButton* m_pMoreInfoBtn = nullptr;
  QPushButton* m_pSearchBtn = nullptr;
  QPushButton* m_pClearBtn = nullptr;
  BitmapButton* m_pPrevBtn = nullptr;
  BitmapButton* m_pNextBtn = nullptr;
  QPushButton* m_pHelpBtn = nullptr;
  QPushButton* m_pQuitBtn = nullptr;

  CViewDoc* m_pDocument;
  const DataLocation& m_location;

 private:
  // What the screen tells the view (view_commands.cc).
  void ResultsChanged() override;
  void SelectionChanged(int oldRow, int newRow) override;
  void FocusRequested(ScreenFocus target) override;
  void BusyChanged(bool busy) override;
  void SearchShown() override;
  void RosterShown() override;
  void Cleared() override;
  void MoreInfoSwitched(bool enabled) override;

  void CreateButtons();
  void DeleteButtons();
  bool PaintedUnderChildrenOnly(const QRegion& region) const;
  bool FillMoreInfo(MoreInfoDialog* dialog);
  // The result list's keys (view_commands.cc): true when the key was taken.
  bool OnListKey(QWidget* control, const QKeyEvent& key);

  ViewDialogue m_dialogue;
  SearchScreen m_screen;
  QPointer<HelpWindow> m_pHelpWindow;
  QString m_strHelpPath;
  std::function<void(MoreInfoDialog&, int)> m_moreInfoExtras;
  bool m_bFamilyDirectorySet = false;
  bool m_bInPlace = false;
  bool m_bDestroyed = false;
};
