// The program's only top-level window: a fixed client area the size of the backdrop, with a
// caption, a system menu and a minimise button, no menu bar, no sizing and no maximise. Its one
// child is the search view.
#pragma once

#include <memory>

#include <QRect>
#include <QWidget>

class CHistView;
class CViewDoc;
class DataLocation;

// Show commands of ActivateFrame.
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMinimized = 2;

inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;
inline constexpr int kClientWidth = 632;
inline constexpr int kClientHeight = 453;

// The frame's rectangle at its first activation for a work area ending at (right, bottom):
// centred by truncating division; the work area's left and top edges play no part.
QRect FirstActivationRect(int right, int bottom);

class CMainFrame : public QWidget {
  Q_OBJECT

 public:
  // Takes the document; the view made by OnCreate reads its backdrop.
  CMainFrame(std::unique_ptr<CViewDoc> document, const DataLocation& location);
  ~CMainFrame() override;

  // Creates the view. 0 on success, -1 when the view could not be made.
  int OnCreate();

  // The first call places the window by FirstActivationRect on the primary screen's work area
  // and shows it with `showCommand`; later calls only show it and bring it to the top.
  void ActivateFrame(int showCommand);

  // Brings the window forward, restored if minimised, with its topmost modal dialog on top.
  void RaiseWithPopup();

  CHistView* View() const { return view_; }
  CViewDoc* Document() const { return document_.get(); }
  bool FirstActivation() const { return firstActivation_; }
  // The normal rectangle set at the first activation (left, top, right and bottom exclusive).
  QRect NormalRect() const { return normalRect_; }

 signals:
  // The About command (the frame's shortcut); the application object shows the box.
  void aboutRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<CViewDoc> document_;
  const DataLocation& location_;
  CHistView* view_ = nullptr;
  bool firstActivation_ = true;
  QRect normalRect_;
};
