// The program's only top-level window: a caption, a system menu and a minimise button, no sizing
// and no maximise. Under the menu bar sits its one child, the search view, a fixed client area
// the size of the backdrop; under the view, a status strip.
//
// The menu bar holds File, Edit, Find, View and Help, in this order, each shown once it has an
// item. The frame fills what works today (File: Quit; Find: ui/find_menu.h, whose status text the
// strip shows; View: the zoom; Help: the guide and About); later work adds its items through
// Menu/AddMenuAction and shows its state with SetStatusText.
// Menu mnemonics: File F, Edit E, Find I, View V, Help H; the view's buttons keep S, C, M and Q.
#pragma once

#include <QRect>
#include <QWidget>
#include <memory>

class CHistView;
class CompanionBuilds;
class CViewDoc;
class DataLocation;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class UnitActions;
class UseActions;

// Show commands of ActivateFrame.
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMinimized = 2;

// The frame without menu bar and status strip, and its client area, the view.
inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;
inline constexpr int kClientWidth = 632;
inline constexpr int kClientHeight = 453;

// The frame's rectangle at its first activation for a work area ending at (right, bottom): a
// frame of `size` centred by truncating division; the work area's left and top edges play no part.
QRect FirstActivationRect(int right, int bottom, QSize size = QSize(kFrameWidth, kFrameHeight));

enum class FrameMenu { kFile, kEdit, kFind, kView, kHelp };

class CMainFrame : public QWidget {
  Q_OBJECT

 public:
  // Takes the document; the view made by OnCreate reads its backdrop.
  CMainFrame(std::unique_ptr<CViewDoc> document, const DataLocation& dataLocation);
  ~CMainFrame() override;

  // Creates the view and the menu items that act on it. 0 on success, -1 when the view could
  // not be made.
  int OnCreate();

  // The first call places the window by FirstActivationRect on the primary screen's work area
  // and shows it with `showCommand`; later calls only show it and bring it to the top.
  void ActivateFrame(int showCommand);

  // Brings the window forward, restored if minimised, with its topmost modal dialog on top.
  void RaiseWithPopup();

  CHistView* View() const { return m_view; }
  // What can be done with what was found (ui/use_actions.h); its items are in File and Edit.
  UseActions* Uses() const { return m_uses; }
  // The unit's window and roster (ui/unit_actions.h); its item is in Find.
  UnitActions* Units() const { return m_units; }
  // The roll's companion index, built in the background (ui/companion_builds.h); its item is in
  // Find, its progress in the status strip.
  CompanionBuilds* Companions() const { return m_companions; }
  CViewDoc* Document() const { return m_document.get(); }
  bool FirstActivation() const { return firstActivation; }
  // The normal rectangle set at the first activation (left, top, right and bottom exclusive).
  QRect NormalRect() const { return m_normalRect; }
  // The frame's size as the centring rule counts it: the classic frame, taller by the menu bar
  // and the status strip.
  QSize FrameSize() const;

  // The menu `which`, in its place on the menu bar; made (and shown) on first use.
  QMenu* Menu(FrameMenu which);
  // Adds `action` to the menu `which`, before the items that close it (File's Quit, Help's
  // About), and makes it the frame's: its shortcut works wherever the focus is in the window.
  void AddMenuAction(FrameMenu which, QAction* action);
  QMenuBar* MenuBar() const { return m_menuBar; }

  // The text at the left of the status strip (the search's mode and filters, say); empty clears it.
  void SetStatusText(const QString& text);
  QString StatusText() const;
  // The strip's account of the list on screen: the page ("Page 3 of 37") and the selected row in
  // plain words (whole; the strip shows as much as fits).
  QString PageText() const;
  QString RowText() const;

  // The zoom steps of the View menu: one step larger (as far as the frame fits the screen), one
  // step smaller, and back to 1. Each choice is remembered for the next start.
  void ZoomIn();
  void ZoomOut();
  void ActualSize();
  // Brings the View menu and the status strip up to the zoom in force (after start-up chose it).
  void ShowZoom();

 signals:
  // Help > About Dravenholt; the application object shows the program's box.
  void aboutRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenus();
  void SetZoom(double zoom);
  // Brings the strip's account of the list up to the view's.
  void ShowListState();
  // The largest zoom step at which the whole frame fits the available area of its screen.
  double LargestFittingZoom() const;

  std::unique_ptr<CViewDoc> m_document;
  const DataLocation& location;
  CHistView* m_view = nullptr;
  UseActions* m_uses = nullptr;
  UnitActions* m_units = nullptr;
  CompanionBuilds* m_companions = nullptr;
  bool m_rosterInStrip = false;  // the strip names the roster on screen
  bool firstActivation = true;
  QRect m_normalRect;

  QMenuBar* m_menuBar = nullptr;
  QMenu* m_menus[5] = {};
  QAction* m_menuEnds[5] = {};  // the first closing item of each menu, or null
  QStatusBar* m_statusBar = nullptr;
  QLabel* m_statusText = nullptr;
  QLabel* m_rowText = nullptr;
  QLabel* m_pageText = nullptr;
  QLabel* m_zoomText = nullptr;
  QAction* m_zoomIn = nullptr;
  QAction* m_zoomOut = nullptr;
  QAction* m_actualSize = nullptr;
};
